#pragma once

#include <functional>

namespace murva {

class HomeWindow;
class Model;
class SettingsWindow;
class WelcomeWindow;

// Tie each window to the model: every change the model publishes redraws the part that
// shows it, and every choice calls the model. `done` closes the welcome and opens home;
// `openSettings` opens the settings window.
void bind(WelcomeWindow &window, Model &model, std::function<void()> done);
void bind(SettingsWindow &window, Model &model);
void bind(HomeWindow &window, Model &model, std::function<void()> openSettings);

} // namespace murva
