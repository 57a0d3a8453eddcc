#include "turns/Turn.h"

#include "TurnPrinting.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

namespace murva {
namespace {

TEST(AddTurn, FirstPhraseIsRoundedToTenths)
{
    EXPECT_EQ(addTurn({}, Side::host, 1.04, 2.06), (std::vector<Turn>{{1.0, 2.1, Side::host}}));
    // Halves go away from zero: 2.5 tenths become 3.
    EXPECT_EQ(addTurn({}, Side::guests, 0.25, 0.35), (std::vector<Turn>{{0.3, 0.4, Side::guests}}));
}

TEST(AddTurn, PhraseWithinASecondExtendsTheTurn)
{
    const std::vector<Turn> turns{{1.0, 2.1, Side::host}};
    EXPECT_EQ(addTurn(turns, Side::host, 3.1, 4.0), (std::vector<Turn>{{1.0, 4.0, Side::host}}));
    EXPECT_EQ(addTurn(turns, Side::host, 3.2, 4.0),
              (std::vector<Turn>{{1.0, 2.1, Side::host}, {3.2, 4.0, Side::host}}));
    // The end never moves back.
    EXPECT_EQ(addTurn(turns, Side::host, 1.5, 1.8), turns);
    EXPECT_EQ(addTurn(turns, Side::host, 1.0, 1.8), turns);
}

TEST(AddTurn, OtherSideInBetweenDoesNotSeparate)
{
    const std::vector<Turn> turns{{1.0, 2.1, Side::host}, {2.2, 2.8, Side::guests}};
    EXPECT_EQ(addTurn(turns, Side::host, 2.5, 3.0),
              (std::vector<Turn>{{1.0, 3.0, Side::host}, {2.2, 2.8, Side::guests}}));
    // Only the side's last turn counts, not an earlier one that would also be near.
    const std::vector<Turn> two{{1.0, 2.0, Side::guests}, {5.0, 6.0, Side::guests}, {7.0, 8.0, Side::host}};
    EXPECT_EQ(addTurn(two, Side::guests, 2.5, 3.0),
              (std::vector<Turn>{{1.0, 2.0, Side::guests}, {2.5, 3.0, Side::guests}, {5.0, 6.0, Side::guests},
                                 {7.0, 8.0, Side::host}}));
}

TEST(AddTurn, NewTurnsAreOrderedByStartStably)
{
    const std::vector<Turn> turns{{1.0, 2.0, Side::guests}, {3.0, 4.0, Side::host}};
    EXPECT_EQ(addTurn(turns, Side::host, 1.0, 1.5),
              (std::vector<Turn>{{1.0, 2.0, Side::guests}, {1.0, 1.5, Side::host}, {3.0, 4.0, Side::host}}));
    EXPECT_EQ(addTurn(turns, Side::guests, 0.2, 0.5),
              (std::vector<Turn>{{0.2, 0.5, Side::guests}, {1.0, 2.0, Side::guests}, {3.0, 4.0, Side::host}}));

    // A list that is not ordered yet is sorted whole.
    const std::vector<Turn> unordered{{5.0, 6.0, Side::host}, {1.0, 2.0, Side::guests}};
    EXPECT_EQ(addTurn(unordered, Side::guests, 9.0, 9.5),
              (std::vector<Turn>{{1.0, 2.0, Side::guests}, {5.0, 6.0, Side::host}, {9.0, 9.5, Side::guests}}));
}

TEST(TurnJson, HasExactlyTheThreeKeys)
{
    const QJsonObject json = toJson(Turn{1.5, 2.0, Side::guests});
    EXPECT_EQ(QJsonDocument(json).toJson(QJsonDocument::Compact), QByteArray(R"({"from":1.5,"to":2,"who":"guests"})"));
    EXPECT_EQ(turnFromJson(json), (Turn{1.5, 2.0, Side::guests}));
    EXPECT_EQ(turnFromJson(toJson(Turn{0.1, 0.3, Side::host})), (Turn{0.1, 0.3, Side::host}));
}

TEST(TurnJson, RejectsIncompleteOrUnknown)
{
    const auto decode = [](const char *text) { return turnFromJson(QJsonDocument::fromJson(text).object()); };
    EXPECT_TRUE(decode(R"({"from":1,"to":2,"who":"host","extra":true})"));
    EXPECT_FALSE(decode(R"({"to":2,"who":"host"})"));
    EXPECT_FALSE(decode(R"({"from":1,"who":"host"})"));
    EXPECT_FALSE(decode(R"({"from":1,"to":2})"));
    EXPECT_FALSE(decode(R"({"from":1,"to":2,"who":"Host"})"));
    EXPECT_FALSE(decode(R"({"from":"1","to":2,"who":"host"})"));
    EXPECT_FALSE(turnFromJson(QJsonValue(3)));
}

} // namespace
} // namespace murva
