#pragma once

#include "model/ModelPhase.h"

#include "accounts/SavedAccounts.h"
#include "api/Me.h"
#include "meetings/NextMeeting.h"
#include "recordings/Recording.h"

#include <QString>

#include <optional>
#include <vector>

namespace murva {

class Model;

// What the tray menu shows, read from the model at each rebuild.
struct MenuState {
    bool ready = false;
    ModelPhase phase;
    SystemTime now{};
    std::optional<NextMeeting> next;
    std::vector<Recording> unsaved;
    std::vector<Recording> recent;
    std::optional<Me> me;
    QList<AccountConnection> accounts;
    std::optional<QString> activeId;

    static MenuState of(const Model &model);
};

// What choosing an item does; the argument names the recording, meeting or account.
enum class MenuCommand {
    none,
    finishSetUp,
    openApp,
    recordNow,
    stopAndSave,
    discard,
    retry,        // argument: the recording's id
    openMeeting,  // argument: the meeting's id at the service
    goToMeetings,
    settings,
    quit,
    joinMeeting,  // argument: the link
    openInMurva,  // the next meeting
    switchAccount // argument: the connection's id
};

// One line of the menu, in the current language.
struct MenuEntry {
    enum class Kind { action, text, separator, submenu, toggle };
    Kind kind = Kind::action;
    QString label;
    MenuCommand command = MenuCommand::none;
    QString argument;
    QString shortcut; // portable text, "Ctrl+O"
    bool checked = false;
    std::vector<MenuEntry> children; // a submenu's items

    bool operator==(const MenuEntry &) const = default;
};

// The whole menu, top to bottom.
std::vector<MenuEntry> menuEntries(const MenuState &state);

// The running clock while recording, else the countdown to a next meeting that starts
// within 8 hours; nothing otherwise. The icon's tooltip and title carry it.
std::optional<QString> iconText(const MenuState &state);

} // namespace murva
