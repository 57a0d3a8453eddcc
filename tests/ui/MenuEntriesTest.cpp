// The tray menu's lines in each state of the model, and the text beside the icon.
#include "tray/MenuEntries.h"

#include "settings/Settings.h"

#include <gtest/gtest.h>

namespace murva {
namespace {

using namespace std::chrono_literals;
using Kind = MenuEntry::Kind;

const SystemTime now = timeFromMillisecondsSince1970(1.77e12);

AccountConnection account(const QString &id, bool withMe)
{
    AccountConnection connection{id, {}, {}, std::nullopt};
    if (withMe) {
        Me me;
        me.app = QStringLiteral("Team ") + id;
        me.email = id + QStringLiteral("@example.com");
        connection.me = me;
    }
    return connection;
}

MenuState ready()
{
    MenuState state;
    state.ready = true;
    state.now = now;
    state.accounts = {account(QStringLiteral("A"), true)};
    state.activeId = QStringLiteral("A");
    state.me = state.accounts.front().me;
    return state;
}

NextMeeting meetingBetween(SystemTime start, SystemTime end)
{
    return NextMeeting{QStringLiteral("Planning"), start, end, QUrl(QStringLiteral("https://meet.example.com/x")),
                       std::nullopt, {QStringLiteral("Grace")}, {}};
}

// The labels of the actions and texts, top to bottom; separators as "-", submenus with
// their items in brackets, toggles with [x] or [ ].
QStringList labels(const std::vector<MenuEntry> &entries)
{
    QStringList out;
    for (const MenuEntry &entry : entries) {
        switch (entry.kind) {
        case Kind::separator:
            out << QStringLiteral("-");
            break;
        case Kind::submenu:
            out << entry.label + QStringLiteral(" {") + labels(entry.children).join(QStringLiteral(" | ")) + QLatin1Char('}');
            break;
        case Kind::toggle:
            out << (entry.checked ? QStringLiteral("[x] ") : QStringLiteral("[ ] ")) + entry.label;
            break;
        default:
            out << entry.label;
        }
    }
    return out;
}

class MenuEntriesTest : public testing::Test {
protected:
    void SetUp() override { Settings().setLanguage(QStringLiteral("en")); }
};

TEST_F(MenuEntriesTest, RecordingSectionFollowsThePhase)
{
    struct Case {
        ModelPhase phase;
        QStringList section; // the lines between the account and the settings sections
    };
    const Case cases[] = {
        {ModelPhase::idle(), {QStringLiteral("Record now")}},
        {ModelPhase::saved(QStringLiteral("m"), 30), {QStringLiteral("Record now")}},
        {ModelPhase::failed(QStringLiteral("r"), SaveError::offline), {QStringLiteral("Record now")}},
        {ModelPhase::asking(Call{CallApp::zoom, std::nullopt, true, AudioOwner::browser()}), {QStringLiteral("Record this call")}},
        {ModelPhase::recording(now - 75s), {QStringLiteral("Recording for 01:15"), QStringLiteral("Stop and save"),
                                            QStringLiteral("Discard recording")}},
        {ModelPhase::saving(0.459), {QStringLiteral("Saving… 45 %")}},
    };
    for (const Case &test : cases) {
        MenuState state = ready();
        state.phase = test.phase;
        const QStringList menu = labels(menuEntries(state));
        const QStringList expected = QStringList{QStringLiteral("Open Murva Recorder"), QStringLiteral("-"),
                                                 QStringLiteral("Saves to A@example.com · Team A"), QStringLiteral("-")}
            + test.section
            + QStringList{QStringLiteral("-"), QStringLiteral("Settings…"), QStringLiteral("-"),
                          QStringLiteral("Quit Murva Recorder")};
        EXPECT_EQ(menu, expected) << qPrintable(ModelPhase::name(test.phase.kind()));
    }
}

TEST_F(MenuEntriesTest, BeforeSetUpOnlyFinishingAndQuitting)
{
    MenuState state = ready();
    state.ready = false;
    state.phase = ModelPhase::recording(now);
    EXPECT_EQ(labels(menuEntries(state)),
              (QStringList{QStringLiteral("Finish setting up…"), QStringLiteral("-"), QStringLiteral("Quit Murva Recorder")}));
}

TEST_F(MenuEntriesTest, AccountSection)
{
    struct Case {
        QList<AccountConnection> accounts;
        bool withMe;
        QStringList lines;
    };
    const Case cases[] = {
        {{account(QStringLiteral("A"), false)}, false, {QStringLiteral("Record into"), QStringLiteral("[x] Connecting account…")}},
        {{account(QStringLiteral("A"), true), account(QStringLiteral("B"), true)},
         true,
         {QStringLiteral("Record into"), QStringLiteral("[x] Saves to A@example.com · Team A"),
          QStringLiteral("[ ] Saves to B@example.com · Team B")}},
    };
    for (const Case &test : cases) {
        MenuState state = ready();
        state.accounts = test.accounts;
        if (!test.withMe) {
            state.me.reset();
        }
        const QStringList menu = labels(menuEntries(state));
        EXPECT_EQ(menu.mid(2, test.lines.size()), test.lines);
    }
}

TEST_F(MenuEntriesTest, NextMeetingOnlyUntilItEnds)
{
    MenuState state = ready();
    state.next = meetingBetween(now + 30min, now + 90min);
    EXPECT_TRUE(labels(menuEntries(state))[2].startsWith(QStringLiteral("Planning · in 30 min {Join meeting | Open in Murva | - | ")));
    state.next = meetingBetween(now - 60min, now);
    EXPECT_FALSE(labels(menuEntries(state)).join(QLatin1Char('\n')).contains(QStringLiteral("Planning")));
}

TEST_F(MenuEntriesTest, RecordingRowsRetryOrOpenOnlyRegisteredOnes)
{
    MenuState state = ready();
    Recording unsaved(QStringLiteral("u"), QStringLiteral("Sync"), CallApp::zoom, now);
    Recording registered(QStringLiteral("r"), QStringLiteral("Review"), CallApp::zoom, now);
    registered.begun = Begun{QStringLiteral("meeting-7"), QStringLiteral("https://u.example.com"), now};
    Recording unregistered(QStringLiteral("n"), QStringLiteral("Chat"), CallApp::zoom, now);
    state.unsaved = {unsaved};
    state.recent = {registered, unregistered};
    std::vector<std::pair<MenuCommand, QString>> commands;
    for (const MenuEntry &entry : menuEntries(state)) {
        if (entry.label.contains(QStringLiteral("Sync")) || entry.label.contains(QStringLiteral("Review"))
            || entry.label.contains(QStringLiteral("Chat"))) {
            commands.emplace_back(entry.command, entry.argument);
        }
    }
    const std::vector<std::pair<MenuCommand, QString>> expected{{MenuCommand::retry, QStringLiteral("u")},
                                                                {MenuCommand::openMeeting, QStringLiteral("meeting-7")},
                                                                {MenuCommand::none, QString()}};
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
        {ModelPhase::recording(now - 3725s), now + 10min, QStringLiteral("1:02:05")},
        {ModelPhase::idle(), now + 8h, QStringLiteral("8 h 00")},
        {ModelPhase::idle(), now + 8h + 1s, std::nullopt},
        {ModelPhase::idle(), std::nullopt, std::nullopt},
    };
    for (const Case &test : cases) {
        MenuState state = ready();
        state.phase = test.phase;
        if (test.nextStart) {
            state.next = meetingBetween(*test.nextStart, *test.nextStart + 1h);
        }
        EXPECT_EQ(iconText(state), test.text);
    }
}

} // namespace
} // namespace murva
