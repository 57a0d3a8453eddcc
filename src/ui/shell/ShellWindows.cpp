#include "shell/ShellWindows.h"

#include "model/Model.h"

#include "windows/AvatarCache.h"
#include "windows/HomeWindow.h"
#include "windows/SettingsWindow.h"
#include "windows/WelcomeWindow.h"
#include "windows/WindowBindings.h"

#include <QWidget>

namespace murva {

bool needsWayIn(bool iconHidden, bool anyWindowVisible)
{
    return iconHidden && !anyWindowVisible;
}

ShellWindows::ShellWindows(Model &model, QObject *parent)
    : QObject(parent), model_(model), avatars_(new AvatarCache(AvatarCache::defaultTimeoutMs, this))
{
}

ShellWindows::~ShellWindows()
{
    delete welcome_;
    delete settings_;
    delete home_;
}

void ShellWindows::showWelcome()
{
    if (!welcome_) {
        welcome_ = new WelcomeWindow;
        bind(*welcome_, model_, [this] {
            welcome_->close();
            showHome();
        });
    }
    bringForward(welcome_);
}

void ShellWindows::showSettings()
{
    if (!settings_) {
        settings_ = new SettingsWindow;
        bind(*settings_, model_);
    }
    bringForward(settings_);
}

void ShellWindows::showHome()
{
    if (!model_.ready()) {
        showWelcome();
        return;
    }
    if (!home_) {
        home_ = new HomeWindow(avatars_);
        bind(*home_, model_, [this] { showSettings(); });
    }
    model_.refreshHome();
    bringForward(home_);
}

WelcomeWindow *ShellWindows::welcome() const
{
    return welcome_;
}

SettingsWindow *ShellWindows::settings() const
{
    return settings_;
}

HomeWindow *ShellWindows::home() const
{
    return home_;
}

bool ShellWindows::anyVisible() const
{
    for (const QWidget *window : std::initializer_list<const QWidget *>{welcome_, settings_, home_}) {
        if (window && window->isVisible()) {
            return true;
        }
    }
    return false;
}

void ShellWindows::keepWayIn()
{
    if (needsWayIn(model_.iconHidden(), anyVisible())) {
        showHome();
    }
}

void ShellWindows::bringForward(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace murva
