#include "app/FakeSources.h"
#include "support/AwaitTask.h"
#include "screen/ScreenAccess.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

using namespace murva;

namespace {

class ScreenAccessTest : public testing::Test {
protected:
    void SetUp() override
    {
        ScreenAccess::unblock();
        ScreenAccess::setSource(source);
        ScreenAccess::setOnBlocked([this] { ++blockedCalls; });
    }
    void TearDown() override
    {
        ScreenAccess::setSource(nullptr);
        ScreenAccess::setOnBlocked({});
        ScreenAccess::unblock();
    }

    std::shared_ptr<test::FakeScreen> source = std::make_shared<test::FakeScreen>();
    int blockedCalls = 0;
};

} // namespace

TEST_F(ScreenAccessTest, AFailureBlocksOnceAndForgetsTheCheckOfThisVersion)
{
    Settings().setScreenChecked(true);
    source->shown.reset(); // the display refuses
    EXPECT_FALSE(murva::test::await(ScreenAccess::content(false)));
    EXPECT_TRUE(ScreenAccess::blocked());
    EXPECT_FALSE(Settings().screenChecked());
    EXPECT_EQ(blockedCalls, 1);

    // While blocked nothing asks the source, and a repeated refusal tells nobody again.
    source->shown = ShareableContent{};
    EXPECT_FALSE(murva::test::await(ScreenAccess::content(true)));
    ScreenAccess::block();
    EXPECT_EQ(source->asked, 1);
    EXPECT_EQ(blockedCalls, 1);

    ScreenAccess::unblock();
    EXPECT_TRUE(murva::test::await(ScreenAccess::content(true)));
    EXPECT_EQ(source->asked, 2);
}

TEST_F(ScreenAccessTest, WithoutASourceThereIsNoContentAndNoBlock)
{
    ScreenAccess::setSource(nullptr);
    EXPECT_FALSE(murva::test::await(ScreenAccess::content(true)));
    EXPECT_FALSE(ScreenAccess::blocked());
}
