// The tray menu's lines in each state of the model, and the text beside the icon.
#include "tray/MenuEntries.h"

#include "settings/Settings.h"

#include <gtest/gtest.h>

namespace murva {
namespace {

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
using Kind = MenuEntry::Kind;

const SystemTime now = timeFromMillisecondsSince1970(1.77e12);

AccountConnection account(const QString &id, bool withMe)
{
    AccountConnection connection{id, {}, {}, std::nullopt};
    if (withMe) {
        Me me;
        me.app = u"Team "_s + id;
        me.email = id + u"@example.com"_s;
        connection.me = me;
    }
    return connection;
}

MenuState ready()
{
    MenuState state;
    state.ready = true;
    state.now = now;
    state.accounts = {account(u"A"_s, true)};
    state.activeId = u"A"_s;
    state.me = state.accounts.front().me;
    return state;
}

NextMeeting meetingBetween(SystemTime start, SystemTime end)
{
    return NextMeeting{u"Planning"_s, start, end, QUrl(u"https://meet.example.com/x"_s), {}, {u"Grace"_s}, {}};
}

// The labels of the actions and texts, top to bottom; separators as "-", submenus with
// their items in brackets, toggles with [x] or [ ].
QStringList labels(const std::vector<MenuEntry> &entries)
{
    QStringList out;
    for (const MenuEntry &entry : entries) {
        switch (entry.kind) {
        case Kind::separator:
            out << u"-"_s;
            break;
        case Kind::submenu:
            out << entry.label + u" {"_s + labels(entry.children).join(u" | "_s) + QLatin1Char('}');
            break;
        case Kind::toggle:
            out << (entry.checked ? u"[x] "_s : u"[ ] "_s) + entry.label;
            break;
        default:
            out << entry.label;
        }
    }
    return out;
}

class MenuEntriesTest : public testing::Test {
protected:
    void SetUp() override { Settings().setLanguage(u"en"_s); }
};

TEST_F(MenuEntriesTest, RecordingSectionFollowsThePhase)
{
    struct Case {
        ModelPhase phase;
        QStringList section; // the lines between the account and the settings sections
    };
    const Case cases[] = {
        {ModelPhase::idle(), {u"Record now"_s}},
        {ModelPhase::saved(u"m"_s, 30), {u"Record now"_s}},
        {ModelPhase::failed(u"r"_s, SaveError::offline), {u"Record now"_s}},
        {ModelPhase::asking(Call{CallApp::zoom, std::nullopt, true, AudioOwner::browser()}), {u"Record this call"_s}},
        {ModelPhase::recording(now - 75s), {u"Recording for 01:15"_s, u"Stop and save"_s, u"Discard recording"_s}},
        {ModelPhase::saving(0.459), {u"Saving… 45 %"_s}},
    };
    for (const Case &test : cases) {
        MenuState state = ready();
        state.phase = test.phase;
        const QStringList expected = QStringList{u"Open Murva Recorder"_s, u"-"_s, u"Saves to A@example.com · Team A"_s,
                                                 u"-"_s}
            + test.section + QStringList{u"-"_s, u"Settings…"_s, u"-"_s, u"Quit Murva Recorder"_s};
        EXPECT_EQ(labels(menuEntries(state)), expected) << qPrintable(ModelPhase::name(test.phase.kind()));
    }
}

TEST_F(MenuEntriesTest, BeforeSetUpOnlyFinishingAndQuitting)
{
    MenuState state = ready();
    state.ready = false;
    state.phase = ModelPhase::recording(now);
    EXPECT_EQ(labels(menuEntries(state)), (QStringList{u"Finish setting up…"_s, u"-"_s, u"Quit Murva Recorder"_s}));
}

TEST_F(MenuEntriesTest, AccountSection)
{
    struct Case {
        QList<AccountConnection> accounts;
        bool withMe;
        QStringList lines;
    };
    const Case cases[] = {
        {{account(u"A"_s, false)}, false, {u"Record into"_s, u"[x] Connecting account…"_s}},
        {{account(u"A"_s, true), account(u"B"_s, true)}, true,
         {u"Record into"_s, u"[x] Saves to A@example.com · Team A"_s, u"[ ] Saves to B@example.com · Team B"_s}},
    };
    for (const Case &test : cases) {
        MenuState state = ready();
        state.accounts = test.accounts;
        if (!test.withMe)
            state.me.reset();
        EXPECT_EQ(labels(menuEntries(state)).mid(2, test.lines.size()), test.lines);
    }
}

TEST_F(MenuEntriesTest, NextMeetingOnlyUntilItEnds)
{
    MenuState state = ready();
    state.next = meetingBetween(now + 30min, now + 90min);
    EXPECT_TRUE(labels(menuEntries(state))[2].startsWith(u"Planning · in 30 min {Join meeting | Open in Murva | - |"));
    state.next = meetingBetween(now - 60min, now);
    EXPECT_FALSE(labels(menuEntries(state)).join(QLatin1Char('\n')).contains(u"Planning"_s));
}

TEST_F(MenuEntriesTest, RecordingRowsRetryOrOpenOnlyRegisteredOnes)
{
    MenuState state = ready();
    Recording unsaved(u"u"_s, u"Sync"_s, CallApp::zoom, now);
    Recording registered(u"r"_s, u"Review"_s, CallApp::zoom, now);
    registered.begun = Begun{u"meeting-7"_s, u"https://u.example.com"_s, now};
    Recording unregistered(u"n"_s, u"Chat"_s, CallApp::zoom, now);
    state.unsaved = {unsaved};
    state.recent = {registered, unregistered};
    std::vector<std::pair<MenuCommand, QString>> commands;
    for (const MenuEntry &entry : menuEntries(state)) {
        if (entry.label.contains(u"Sync") || entry.label.contains(u"Review") || entry.label.contains(u"Chat"))
            commands.emplace_back(entry.command, entry.argument);
    }
    const std::vector<std::pair<MenuCommand, QString>> expected{
        {MenuCommand::retry, u"u"_s}, {MenuCommand::openMeeting, u"meeting-7"_s}, {MenuCommand::none, QString()}};
    EXPECT_EQ(commands, expected);
}

TEST_F(MenuEntriesTest, IconTextIsTheClockOrACountdownWithinEightHours)
{
    struct Case {
        ModelPhase phase;
        std::optional<SystemTime> nextStart;
        std::optional<QString> text;
    };
    const Case cases[] = {
        {ModelPhase::recording(now - 3725s), now + 10min, u"1:02:05"_s},
        {ModelPhase::idle(), now + 8h, u"8 h 00"_s},
        {ModelPhase::idle(), now + 8h + 1s, std::nullopt},
        {ModelPhase::idle(), std::nullopt, std::nullopt},
    };
    for (const Case &test : cases) {
        MenuState state = ready();
        state.phase = test.phase;
        if (test.nextStart)
            state.next = meetingBetween(*test.nextStart, *test.nextStart + 1h);
        EXPECT_EQ(iconText(state), test.text);
    }
}

} // namespace
} // namespace murva
