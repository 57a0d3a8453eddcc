#pragma once

#include "api/Me.h"

#include <QString>

#include <array>
#include <optional>

namespace murva {

class Model;

// What the welcome window shows, read from the model.
struct WelcomeState {
    bool ready = false;
    bool signedIn = false;
    bool connecting = false;
    std::optional<Me> me;
    bool micAllowed = false;
    bool screenAllowed = false;
    bool screenChecked = false;
    bool checkingScreen = false;
    bool iconHidden = false;
    QString language;

    static WelcomeState of(const Model &model);
};

enum class StepAction { connect, allowMicrophone, allowScreen, none };

// One step of the checklist; keys into the text tables, details already filled.
struct StepRow {
    int number = 0;
    QString title;
    std::optional<QString> detail;
    bool done = false;
    bool next = false;
    std::optional<QString> button; // no button when the step cannot be done from here
    StepAction action = StepAction::none;

    bool operator==(const StepRow &) const = default;
};

// The three steps: connect, microphone, screen. Texts are looked up in the current
// language. Without screen access the session has no X display to record (a
// Wayland-only session): the step says so and offers no button, since neither asking
// again nor reopening the app can grant it.
std::array<StepRow, 3> welcomeSteps(const WelcomeState &state);

} // namespace murva
