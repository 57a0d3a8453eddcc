#include "app/FakeSources.h"
#include "support/AwaitTask.h"
#include "screen/ScreenAccess.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

using namespace murva;

namespace {

class ScreenAccessTest : public testing::Test {
protected:
    void SetUp() override { access->setOnBlocked([this] { ++blockedCalls; }); }

    std::shared_ptr<test::FakeScreen> source = std::make_shared<test::FakeScreen>();
    std::shared_ptr<ScreenAccess> access = std::make_shared<ScreenAccess>(source);
    int blockedCalls = 0;
};

} // namespace

TEST_F(ScreenAccessTest, AFailureBlocksOnceAndForgetsTheCheckOfThisVersion)
{
    Settings().setScreenChecked(true);
    source->shown.reset(); // the display refuses
    EXPECT_FALSE(murva::test::await(access->content(false)));
    EXPECT_TRUE(access->blocked());
    EXPECT_FALSE(Settings().screenChecked());
    EXPECT_EQ(blockedCalls, 1);

    // While blocked nothing asks the source, and a repeated refusal tells nobody again.
    source->shown = ShareableContent{};
    EXPECT_FALSE(murva::test::await(access->content(true)));
    access->block();
    EXPECT_EQ(source->asked, 1);
    EXPECT_EQ(blockedCalls, 1);

    access->unblock();
    EXPECT_TRUE(murva::test::await(access->content(true)));
    EXPECT_EQ(source->asked, 2);
}

TEST_F(ScreenAccessTest, WithoutASourceThereIsNoContentAndNoBlock)
{
    const auto withoutSource = std::make_shared<ScreenAccess>();
    EXPECT_FALSE(murva::test::await(withoutSource->content(true)));
    EXPECT_FALSE(withoutSource->blocked());
}
