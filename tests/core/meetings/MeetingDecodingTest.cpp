#include "meetings/NextMeeting.h"
#include "meetings/RecentInfo.h"
#include "meetings/UpcomingMeeting.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace murva {
namespace {

QByteArray replyWith(const QJsonObject &meeting)
{
    return QJsonDocument(QJsonObject{{"meeting", meeting}}).toJson();
}

QJsonObject minimalMeeting()
{
    return QJsonObject{{"title", "Weekly sync"}, {"start", 1000}, {"end", 2000}};
}

std::optional<QUrl> linkOf(const QString &link)
{
    QJsonObject meeting = minimalMeeting();
    meeting["link"] = link;
    return NextMeeting::of(replyWith(meeting))->link;
}

TEST(NextMeetingDecoding, fullMeetingKeepsEverything)
{
    const QByteArray body = R"({"meeting": {"title": "Plan", "start": 1741168800123.5, "end": 1741172400000,
        "link": "https://zoom.us/j/123?pwd=x", "murvaEventId": "E1", "guests": ["ana@x.org", "Bo"],
        "people": [{"email": "Ana@X.org", "name": "Ana", "photo": "https://p.x/a.png"},
                   {"email": "bo@x.org", "name": "   ", "photo": "http://p.x/b.png"}]},
        "other": 1})";
    const std::optional<NextMeeting> meeting = NextMeeting::of(body);
    ASSERT_TRUE(meeting);
    EXPECT_DOUBLE_EQ(millisecondsSince1970(meeting->start), 1741168800123.5);
    EXPECT_EQ(meeting->link, QUrl("https://zoom.us/j/123?pwd=x"));
    EXPECT_EQ(meeting->murvaEventId, "E1");
    EXPECT_EQ(meeting->guests, (QStringList{"ana@x.org", "Bo"}));
    ASSERT_EQ(meeting->people.size(), 2u);
    EXPECT_EQ(meeting->people[0], (Person{"ana@x.org", "Ana", QUrl("https://p.x/a.png")}));
    EXPECT_EQ(meeting->people[1], (Person{"bo@x.org", std::nullopt, std::nullopt}));
    EXPECT_EQ(meeting->people[1].shown(), "bo@x.org");
    EXPECT_EQ(meeting->people[0].shown(), "Ana");
}

TEST(NextMeetingDecoding, refusesMissingOrWrongRequiredFields)
{
    for (const char *body : {R"({"meeting": null})", "{}", R"([{"meeting": {"title": "a", "start": 1, "end": 2}}])",
                             "not json", ""}) {
        EXPECT_FALSE(NextMeeting::of(body)) << body;
    }
    // End not after start (also when far dates clamp to the same end of the clock),
    // wrong types, missing title.
    const std::vector<std::pair<QString, QJsonValue>> spoilers{
        {"end", 1000}, {"end", 999}, {"start", "1000"}, {"title", 5}, {"title", QJsonValue::Undefined}};
    for (const auto &[key, value] : spoilers) {
        QJsonObject meeting = minimalMeeting();
        meeting.insert(key, value);
        EXPECT_FALSE(NextMeeting::of(replyWith(meeting))) << key.toStdString();
    }
    EXPECT_FALSE(NextMeeting::of(replyWith(QJsonObject{{"title", "a"}, {"start", 1e300}, {"end", 1e301}})));
}

TEST(NextMeetingDecoding, linkNeedsHttpOrHttpsWrittenInLowerCase)
{
    EXPECT_EQ(linkOf("http://meet.example/abc"), QUrl("http://meet.example/abc"));
    EXPECT_EQ(linkOf("https://meet.example/abc"), QUrl("https://meet.example/abc"));
    EXPECT_FALSE(linkOf("HTTPS://meet.example/abc"));
    EXPECT_FALSE(linkOf("ftp://meet.example/abc"));
    EXPECT_FALSE(linkOf("javascript:alert(1)"));
    EXPECT_FALSE(linkOf("meet.example/abc"));
    EXPECT_FALSE(linkOf("https://meet example/abc"));
}

// Absent optional parts are proven alike: the wrong types below read as absent.
TEST(NextMeetingDecoding, malformedOptionalPartsAreDroppedNotFatal)
{
    QJsonObject meeting = minimalMeeting();
    meeting["link"] = 7;
    meeting["murvaEventId"] = 12;
    meeting["guests"] = QJsonArray{"a", 1};
    meeting["people"] = QJsonArray{QJsonObject{{"email", "a@x"}}, "b@x"};
    const std::optional<NextMeeting> decoded = NextMeeting::of(replyWith(meeting));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->title, "Weekly sync");
    EXPECT_EQ(millisecondsSince1970(decoded->start), 1000);
    EXPECT_EQ(millisecondsSince1970(decoded->end), 2000);
    EXPECT_FALSE(decoded->link);
    EXPECT_FALSE(decoded->murvaEventId);
    EXPECT_TRUE(decoded->guests.isEmpty());
    // People must be an array of objects as a whole.
    EXPECT_TRUE(decoded->people.empty());
}

TEST(PersonDecoding, emailNameAndPhotoRules)
{
    EXPECT_FALSE(Person::of(QJsonObject{{"email", "nobody"}}));
    EXPECT_FALSE(Person::of(QJsonObject{{"name", "Ana"}}));
    EXPECT_FALSE(Person::of(QJsonObject{{"email", 3}}));

    const std::optional<Person> blank = Person::of(QJsonObject{{"email", "A@B.C"}, {"name", " \t "}});
    ASSERT_TRUE(blank);
    EXPECT_EQ(blank->email, "a@b.c");
    EXPECT_FALSE(blank->name);

    // Only spaces and tabs count as blank; a padded name is kept unchanged.
    const std::optional<Person> padded = Person::of(QJsonObject{{"email", "a@b"}, {"name", " Ana "}});
    EXPECT_EQ(padded->name, " Ana ");
    EXPECT_EQ(Person::of(QJsonObject{{"email", "a@b"}, {"name", "\n"}})->name, "\n");

    EXPECT_FALSE(Person::of(QJsonObject{{"email", "a@b"}, {"photo", "HTTPS://p/x.png"}})->photo);
}

TEST(UpcomingDecoding, keepsOrderSkipsBadElementsAndRaisesGuestCount)
{
    const QByteArray body = R"({"meetings": [
        {"title": "B", "start": 5000, "end": 6000, "guestCount": 2, "guests": ["1", "2", "3", "4", "5"]},
        {"start": 1000, "end": 2000},
        {"title": "A", "start": 1000, "end": 2000, "guestCount": 9.7},
        {"title": "C", "start": 1000, "end": 2000, "guestCount": "4"}]})";
    const auto upcoming = UpcomingMeeting::list(body);
    ASSERT_TRUE(upcoming);
    ASSERT_EQ(upcoming->size(), 3u);
    EXPECT_EQ((*upcoming)[0].meeting.title, "B");
    EXPECT_EQ((*upcoming)[0].guestCount, 5);
    EXPECT_EQ((*upcoming)[1].meeting.title, "A");
    EXPECT_EQ((*upcoming)[1].guestCount, 9);
    EXPECT_EQ((*upcoming)[2].guestCount, 0);
}

TEST(UpcomingDecoding, shapeOfTheReply)
{
    EXPECT_EQ(UpcomingMeeting::list(R"({"meetings": []})"), std::vector<UpcomingMeeting>{});
    EXPECT_FALSE(UpcomingMeeting::list(R"({})"));
    EXPECT_FALSE(UpcomingMeeting::list(R"({"meetings": {}})"));
    EXPECT_FALSE(UpcomingMeeting::list(R"({"meetings": [{"title": "A", "start": 1, "end": 2}, 3]})"));
    EXPECT_FALSE(UpcomingMeeting::list("[]"));
    const auto huge = UpcomingMeeting::list(R"({"meetings": [{"title": "A", "start": 1, "end": 2, "guestCount": 1e40}]})");
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->front().guestCount, std::numeric_limits<int>::max());
}

TEST(RecentInfoDecoding, titlesAndNotes)
{
    const QByteArray body = R"({
        "titles": [{"meetingId": "m1", "title": "First"}, {"meetingId": "m2", "title": ""},
                   {"meetingId": "m3"}, {"meetingId": 4, "title": "x"}, {"meetingId": "m1", "title": "Later"}],
        "notes": [{"meetingId": "m1", "state": "ready"}, {"meetingId": "m2", "state": "ready", "nextSteps": 3},
                  {"meetingId": "m3", "state": "writing"}, {"meetingId": "m4", "state": "none"},
                  {"meetingId": "m5", "state": "failed"}, {"meetingId": "m6"},
                  {"meetingId": "m3", "state": "none"}]})";
    const std::optional<RecentInfo> info = RecentInfo::of(body);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->titles, (QHash<QString, QString>{{"m1", "Later"}}));
    const QHash<QString, MeetingNotes> notes{{"m1", MeetingNotes::ready(0)},
                                             {"m2", MeetingNotes::ready(3)},
                                             {"m3", MeetingNotes::none()},
                                             {"m4", MeetingNotes::none()}};
    EXPECT_EQ(info->notes, notes);
}

TEST(RecentInfoDecoding, shapeOfTheReply)
{
    EXPECT_FALSE(RecentInfo::of(R"({"notes": []})"));
    EXPECT_FALSE(RecentInfo::of(R"({"titles": [1]})"));
    EXPECT_FALSE(RecentInfo::of("nonsense"));
    const std::optional<RecentInfo> badNotes = RecentInfo::of(R"({"titles": [], "notes": [{"meetingId": "a", "state": "writing"}, 2]})");
    ASSERT_TRUE(badNotes);
    EXPECT_EQ(*badNotes, RecentInfo{});
}

} // namespace
} // namespace murva
