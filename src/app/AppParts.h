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

// The model wired to the Linux adapters, shared by the headless and the desktop app.
// Members are declared so that everything the model borrows outlives it.
struct AppParts {
    std::unique_ptr<Keychain> keychain;
    std::shared_ptr<BrowserOpener> browser;
    std::shared_ptr<SignIn> signIn;
    std::shared_ptr<RecordingStore> store;
    std::unique_ptr<ScreenCheck> screenCheck;
    std::unique_ptr<Model> model;

    // `arguments` are the program's (the first is the program itself); a relaunch runs
    // `executablePath`, saved at start-up, with the others. `trayIcon` tells the model
    // whether the tray icon can be seen; empty without a tray.
    AppParts(const QStringList &arguments, const QString &executablePath, std::function<TrayIconState()> trayIcon);
    ~AppParts();

    // Ends a running recording and keeps it, then leaves the event loop.
    void finishThenQuit();
};

} // namespace murva
