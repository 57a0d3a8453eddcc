#pragma once

#include "CommandLine.h"

#include "tray/MenuEntries.h"

#include <QDBusConnection>
#include <QObject>

#include <memory>

namespace murva {

struct AppParts;
class ApplicationService;
class RecordingBar;
class ShellWindows;
class SignalRelay;
class Tray;

// The desktop app: the model with its tray icon and menu, the recording bar and the
// windows; reopened and driven through the session bus; quitting (from the menu or on
// SIGTERM, SIGINT, SIGHUP) ends a running recording and keeps it first. Main thread.
class GuiApp : public QObject {
    Q_OBJECT
public:
    // `executablePath` is saved at start-up for the relaunch.
    GuiApp(const CommandLine &options, const QString &executablePath, const QDBusConnection &bus,
           ApplicationService &service, QObject *parent = nullptr);
    ~GuiApp() override;

    // Start-up in order: the model's callbacks, its launch, then the options; returns at once.
    void start();

private:
    void takeOptions();
    void reopen();
    void runAction(const QString &action);
    void runMenuCommand(MenuCommand command, const QString &argument);
    void quit();

    CommandLine options_;
    ApplicationService &service_;
    std::unique_ptr<SignalRelay> relay_;
    std::unique_ptr<AppParts> parts_;
    std::unique_ptr<Tray> tray_;
    std::unique_ptr<RecordingBar> bar_;
    std::unique_ptr<ShellWindows> windows_;
    bool quitting_ = false;
};

} // namespace murva
