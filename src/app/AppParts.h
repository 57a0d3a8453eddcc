#pragma once

#include "model/ModelParts.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace murva {

class BrowserOpener;
class Keychain;
class Model;
class RecordingStore;
class ScreenCheck;
class SignIn;
class UpdateSource;
class Updater;

// The model wired to the Linux adapters, shared by the headless and the desktop app.
// Members are declared so that everything the model borrows outlives it.
struct AppParts {
    std::unique_ptr<Keychain> keychain;
    std::shared_ptr<BrowserOpener> browser;
    std::shared_ptr<SignIn> signIn;
    std::shared_ptr<RecordingStore> store;
    std::unique_ptr<ScreenCheck> screenCheck;
    std::unique_ptr<Model> model;
    std::unique_ptr<UpdateSource> updates;
    std::unique_ptr<Updater> updater;

    // `arguments` are the program's (the first is the program itself); a relaunch runs
    // `executablePath`, saved at start-up, with the others. `trayIcon` tells the model
    // whether the tray icon can be seen; empty without a tray.
    AppParts(const QStringList &arguments, const QString &executablePath, std::function<TrayIconState()> trayIcon);
    ~AppParts();

    // Ends a running recording and keeps it, then leaves the event loop.
    void finishThenQuit();

    // Restarts into a newer build installed over this one once the recorder is free;
    // `quit` is the app's quit path. Nothing for a program in a build folder.
    void startUpdates(std::function<void()> quit);

private:
    QStringList arguments_;
    QString executablePath_;
};

} // namespace murva
