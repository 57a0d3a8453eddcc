#include "GuiApp.h"

#include "AppParts.h"
#include "SignalRelay.h"

#include "bar/RecordingBar.h"
#include "log/Log.h"
#include "model/Model.h"
#include "shell/ApplicationService.h"
#include "shell/ShellWindows.h"
#include "tray/Tray.h"

#include <QApplication>
#include <QCoroTask>
#include <QDesktopServices>
#include <QTimer>

namespace murva {
namespace {
constexpr int homeDelayMs = 3000;
const QStringList previewNames{QStringLiteral("asking"), QStringLiteral("recording"), QStringLiteral("saving"),
                               QStringLiteral("saved"), QStringLiteral("failed")};
} // namespace

GuiApp::GuiApp(const CommandLine &options, const QString &executablePath, const QDBusConnection &bus,
               ApplicationService &service, QObject *parent)
    : QObject(parent), options_(options), service_(service), relay_(std::make_unique<SignalRelay>())
{
    parts_ = std::make_unique<AppParts>(QCoreApplication::arguments(), executablePath, [this] {
        return TrayIconState{!(tray_ && tray_->iconShown()), std::nullopt};
    });
    Model &model = *parts_->model;
    tray_ = std::make_unique<Tray>(model, bus);
    bar_ = std::make_unique<RecordingBar>(model);
    windows_ = std::make_unique<ShellWindows>(model);
    connect(relay_.get(), &SignalRelay::quitRequested, this, [this](int signalNumber) {
        Log::write(QStringLiteral("quitting on signal %1").arg(signalNumber));
        quit();
    });
    connect(tray_.get(), &Tray::chosen, this, &GuiApp::runMenuCommand);
    connect(&service_, &ApplicationService::activated, this, &GuiApp::reopen);
    connect(&service_, &ApplicationService::actionActivated, this, &GuiApp::runAction);
}

GuiApp::~GuiApp() = default;

void GuiApp::start()
{
    Log::write(QStringLiteral("launched"));
    Model &model = *parts_->model;
    ShellWindows *windows = windows_.get();
    model.onShowWelcome = [windows] { windows->showWelcome(); };
    model.onShowSettings = [windows] { windows->showSettings(); };
    model.onShowHome = [windows] { windows->showHome(); };
    model.onIconHidden = [windows](bool) { windows->keepWayIn(); };
    RecordingBar *bar = bar_.get();
    model.onPhase = [bar](const ModelPhase &phase) { bar->show(phase); };
    model.onQuit = [this] { quit(); };
    model.launch();
    // Updates come from the package manager, which replaces the files under the running app.
    parts_->startUpdates([this] { quit(); });
    takeOptions();
    // Permissions granted in the desktop's settings show as soon as the user comes back.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [&model](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive) {
            model.refreshPermissions();
        }
    });
}

void GuiApp::takeOptions()
{
    Model &model = *parts_->model;
    if (options_.previewBar) {
        if (previewNames.contains(*options_.previewBar)) {
            model.preview(*options_.previewBar);
        } else {
            Log::write(QStringLiteral("preview: no bar phase named \"%1\"").arg(*options_.previewBar));
        }
    }
    if (options_.settings) {
        windows_->showSettings();
    }
    if (options_.welcome) {
        windows_->showWelcome();
    }
    if (options_.home) {
        QTimer::singleShot(homeDelayMs, windows_.get(), &ShellWindows::showHome);
    }
    if (options_.recordNow) {
        model.recordNow();
    }
    if (options_.connect) {
        model.connect();
    }
}

// Launching the app again while it runs.
void GuiApp::reopen()
{
    if (parts_->model->ready()) {
        windows_->showHome();
    } else {
        windows_->showWelcome();
    }
}

void GuiApp::runAction(const QString &action)
{
    Log::write(QStringLiteral("instance: action %1").arg(action));
    if (action == QLatin1String("record-now")) {
        parts_->model->recordNow();
    } else if (action == QLatin1String("settings")) {
        windows_->showSettings();
    } else if (action == QLatin1String("home")) {
        windows_->showHome();
    } else {
        reopen();
    }
}

void GuiApp::runMenuCommand(MenuCommand command, const QString &argument)
{
    Model &model = *parts_->model;
    switch (command) {
    case MenuCommand::finishSetUp:
        windows_->showWelcome();
        break;
    case MenuCommand::openApp:
        windows_->showHome();
        break;
    case MenuCommand::recordNow:
        model.recordNow();
        break;
    case MenuCommand::stopAndSave:
        model.stopAndSave(QStringLiteral("Stop and save"));
        break;
    case MenuCommand::discard:
        model.discard();
        break;
    case MenuCommand::retry:
        model.retry(argument);
        break;
    case MenuCommand::openMeeting:
        model.open(argument);
        break;
    case MenuCommand::goToMeetings:
        model.openMeetings();
        break;
    case MenuCommand::settings:
        windows_->showSettings();
        break;
    case MenuCommand::quit:
        quit();
        break;
    case MenuCommand::joinMeeting:
        model.setJoined(QUrl(argument));
        QDesktopServices::openUrl(QUrl(argument));
        break;
    case MenuCommand::openInMurva:
        if (model.next()) {
            model.openInMurva(*model.next());
        }
        break;
    case MenuCommand::switchAccount:
        model.switchTo(argument);
        break;
    case MenuCommand::none:
        break;
    }
}

void GuiApp::quit()
{
    if (quitting_) {
        return;
    }
    quitting_ = true;
    // A launch from now on waits for this process to go instead of handing it a request.
    service_.setQuitting();
    Log::write(QStringLiteral("quitting"));
    parts_->finishThenQuit();
}

} // namespace murva
