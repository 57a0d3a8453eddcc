#include "tray/MenuEntries.h"

#include "meetings/DurationTexts.h"
#include "model/Model.h"
#include "settings/Language.h"
#include "turns/Clock.h"

#include <QLocale>

namespace murva {
namespace {

constexpr double countdownWithinSec = 28800; // 8 hours

using Kind = MenuEntry::Kind;

MenuEntry action(const QString &key, MenuCommand command, const QString &shortcut = {})
{
    return MenuEntry{Kind::action, Language::text(key), command, {}, shortcut, false, {}};
}

MenuEntry text(const QString &label)
{
    return MenuEntry{Kind::text, label, MenuCommand::none, {}, {}, false, {}};
}

MenuEntry separator()
{
    return MenuEntry{Kind::separator, {}, MenuCommand::none, {}, {}, false, {}};
}

QLocale appLocale()
{
    return QLocale(Language::current());
}

// Abbreviated date and shortened time, in the local time zone.
QString momentText(SystemTime at)
{
    const QDateTime local = toQDateTime(at).toLocalTime();
    const QLocale locale = appLocale();
    return locale.toString(local.date(), QStringLiteral("d MMM yyyy")) + QLatin1Char(' ')
        + locale.toString(local.time(), QLocale::ShortFormat);
}

QString timeText(SystemTime at)
{
    return appLocale().toString(toQDateTime(at).toLocalTime().time(), QLocale::ShortFormat);
}

QString whenText(const NextMeeting &meeting, SystemTime now)
{
    if (const std::optional<QString> until = untilText(meeting.start, now)) {
        return Language::text(QStringLiteral("meetingIn %@"), QVariantList{*until});
    }
    return Language::text(QStringLiteral("meetingStarted"));
}

QString savesToText(const Me &me)
{
    return Language::text(QStringLiteral("savesTo %@ %@"), QVariantList{me.you.value_or(me.email.value_or(QString())), me.app});
}

MenuEntry nextMeetingMenu(const NextMeeting &meeting, SystemTime now)
{
    MenuEntry menu;
    menu.kind = Kind::submenu;
    menu.label = meeting.title + QStringLiteral(" · ") + whenText(meeting, now);
    if (meeting.link) {
        MenuEntry join = action(QStringLiteral("joinMeeting"), MenuCommand::joinMeeting);
        join.argument = meeting.link->toString();
        menu.children.push_back(join);
    }
    menu.children.push_back(action(QStringLiteral("openInMurva"), MenuCommand::openInMurva));
    menu.children.push_back(separator());
    menu.children.push_back(text(timeText(meeting.start) + QStringLiteral(" – ") + timeText(meeting.end)));
    for (const QString &guest : meeting.guests) {
        menu.children.push_back(text(guest));
    }
    return menu;
}

void appendAccounts(std::vector<MenuEntry> &menu, const MenuState &state)
{
    if (state.accounts.size() == 1 && state.me) {
        menu.push_back(text(savesToText(*state.me)));
        return;
    }
    menu.push_back(text(Language::text(QStringLiteral("recordInto"))));
    for (const AccountConnection &connection : state.accounts) {
        const QString label = connection.me ? savesToText(*connection.me) : Language::text(QStringLiteral("connectingAccount"));
        menu.push_back(MenuEntry{Kind::toggle, label, MenuCommand::switchAccount, connection.id, {},
                                 state.activeId == connection.id, {}});
    }
}

void appendRecordingSection(std::vector<MenuEntry> &menu, const MenuState &state)
{
    const ModelPhase &phase = state.phase;
    switch (phase.kind()) {
    case ModelPhase::Kind::asking:
        menu.push_back(action(QStringLiteral("recordThisCall"), MenuCommand::recordNow));
        break;
    case ModelPhase::Kind::recording:
        menu.push_back(text(Language::text(QStringLiteral("recordingFor %@"), QVariantList{clock(secondsBetween(phase.since(), state.now))})));
        menu.push_back(action(QStringLiteral("stopAndSave"), MenuCommand::stopAndSave));
        menu.push_back(action(QStringLiteral("discard"), MenuCommand::discard));
        break;
    case ModelPhase::Kind::saving:
        menu.push_back(text(Language::text(QStringLiteral("savingPercent %d"), QVariantList{int(phase.progress() * 100)})));
        break;
    default:
        menu.push_back(action(QStringLiteral("recordNow"), MenuCommand::recordNow));
    }
}

void appendRecordings(std::vector<MenuEntry> &menu, const MenuState &state)
{
    if (!state.unsaved.empty()) {
        menu.push_back(separator());
        menu.push_back(text(Language::text(QStringLiteral("notSavedYet"))));
        for (const Recording &recording : state.unsaved) {
            MenuEntry row;
            row.label = Language::text(QStringLiteral("saveRow %@ %@"), QVariantList{recording.title, momentText(recording.at)});
            row.command = MenuCommand::retry;
            row.argument = recording.id;
            menu.push_back(row);
        }
    }
    if (!state.recent.empty()) {
        menu.push_back(separator());
        menu.push_back(text(Language::text(QStringLiteral("recent"))));
        for (const Recording &recording : state.recent) {
            const QString label = recording.title + QStringLiteral(" · ") + momentText(recording.at) + QStringLiteral(" (")
                + durationText(recording.durationSec) + QLatin1Char(')');
            // A recording the service never registered has no page to open.
            MenuEntry row;
            row.label = label;
            row.command = recording.begun ? MenuCommand::openMeeting : MenuCommand::none;
            row.argument = recording.begun ? recording.begun->meetingId : QString();
            menu.push_back(row);
        }
    }
}

} // namespace

MenuState MenuState::of(const Model &model)
{
    return MenuState{model.ready(), model.phase(),    model.now(),      model.next(), model.unsaved(),
                     model.recent(), model.me(),      model.accounts(), model.activeId()};
}

std::vector<MenuEntry> menuEntries(const MenuState &state)
{
    const MenuEntry quit = action(QStringLiteral("quit"), MenuCommand::quit, QStringLiteral("Ctrl+Q"));
    if (!state.ready) {
        return {action(QStringLiteral("finishSetUp"), MenuCommand::finishSetUp), separator(), quit};
    }
    std::vector<MenuEntry> menu{action(QStringLiteral("openApp"), MenuCommand::openApp, QStringLiteral("Ctrl+O")),
                                separator()};
    if (state.next && state.next->end > state.now) {
        menu.push_back(nextMeetingMenu(*state.next, state.now));
    }
    appendAccounts(menu, state);
    menu.push_back(separator());
    appendRecordingSection(menu, state);
    appendRecordings(menu, state);
    menu.push_back(separator());
    if (state.me && state.me->meetingsUrl) {
        menu.push_back(action(QStringLiteral("goToMeetings"), MenuCommand::goToMeetings));
    }
    menu.push_back(action(QStringLiteral("settings"), MenuCommand::settings, QStringLiteral("Ctrl+,")));
    menu.push_back(separator());
    menu.push_back(quit);
    return menu;
}

std::optional<QString> iconText(const MenuState &state)
{
    if (state.phase.is(ModelPhase::Kind::recording)) {
        return clock(secondsBetween(state.phase.since(), state.now));
    }
    if (state.next && secondsBetween(state.now, state.next->start) <= countdownWithinSec) {
        return untilText(state.next->start, state.now);
    }
    return std::nullopt;
}

} // namespace murva
