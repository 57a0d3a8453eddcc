// Start-up, permissions, the screen check and opening at login.
#include "model/Model.h"

#include "screen/ScreenAccess.h"
#include "settings/Settings.h"

#include <QPointer>

namespace murva {

void Model::launch()
{
    refreshPermissions();
    reloadRecordings();
    if (!Settings().loginItemSet()) {
        // Only the first run registers; the user's later choice is never overridden.
        Settings().setLoginItemSet(true);
        if (parts_.autostart) {
            parts_.autostart->registerAtLogin();
        }
    }
    const QPointer<Model> self(this);
    parts_.watcher->onEvent = [self](const CallEvent &event) {
        if (self) {
            self->handle(event);
        }
    };
    parts_.screen->setOnBlocked([self] {
        if (!self) {
            return;
        }
        self->setScreenChecked(false);
        if (self->onShowWelcome) {
            self->onShowWelcome();
        }
    });
    parts_.watcher->start();
    // The alarm dies with the model, so a firing never reaches a destroyed one.
    clockTimer_ = parts_.clock->every(clockIntervalSec, [this] { tickClock(); });
    launchTask();
}

QCoro::Task<> Model::launchTask()
{
    const QPointer<Model> self(this);
    auto loading = parts_.accounts->load();
    co_await loading;
    if (!self) {
        co_return;
    }
    reloadAccounts();
    if (signedIn_) {
        QStringList ids;
        for (const AccountConnection &account : accounts_) {
            ids << account.id;
        }
        for (const QString &id : ids) {
            auto fetching = fetchMe(id);
            co_await fetching;
            if (!self) {
                co_return;
            }
        }
        reloadAccounts();
    }
    if (!ready() && onShowWelcome) {
        onShowWelcome();
    }
    if (screenAllowed_ && !screenChecked_ && !parts_.screen->blocked()) {
        auto checking = checkScreen();
        co_await checking;
        if (!self) {
            co_return;
        }
    }
    auto leftovers = saveLeftovers();
    co_await leftovers;
    if (!self) {
        co_return;
    }
    auto titles = refreshTitles();
    co_await titles;
}

void Model::refreshPermissions()
{
    if (!parts_.permissions) {
        return;
    }
    setPermissions(parts_.permissions->microphoneAllowed(), parts_.permissions->screenAllowed());
}

void Model::allowMicrophone()
{
    if (parts_.permissions) {
        parts_.permissions->askForMicrophone();
    }
    refreshPermissions();
}

void Model::allowScreen()
{
    parts_.screen->unblock();
    refreshPermissions();
    if (!screenAllowed_) {
        screenAsked_ = true;
        emit screenCheckChanged();
        return;
    }
    checkScreen();
}

QCoro::Task<> Model::checkScreen()
{
    if (!screenAllowed_ || screenChecked_ || checkingScreen_) {
        co_return;
    }
    const QPointer<Model> self(this);
    checkingScreen_ = true;
    emit screenCheckChanged();
    bool passed = false;
    if (parts_.checkScreen) {
        auto checking = parts_.checkScreen();
        passed = co_await checking;
    }
    if (!self) {
        co_return;
    }
    if (passed) {
        setScreenChecked(true);
    }
    if (onShowWelcome) {
        onShowWelcome();
    }
    checkingScreen_ = false;
    emit screenCheckChanged();
}

bool Model::openAtLogin() const
{
    return parts_.autostart && parts_.autostart->registered();
}

void Model::setOpenAtLogin(bool on)
{
    if (parts_.autostart) {
        on ? parts_.autostart->registerAtLogin() : parts_.autostart->unregisterAtLogin();
    }
    emit openAtLoginChanged();
}

void Model::relaunch()
{
    // A relaunch that could not be arranged still quits: the user asked for a restart.
    if (parts_.relauncher) {
        parts_.relauncher->relaunchSoon();
    }
    if (onQuit) {
        onQuit();
    }
}

} // namespace murva
