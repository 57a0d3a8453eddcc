#include "AppParts.h"

#include "Adapters.h"
#include "accounts/SignIn.h"
#include "browsers/BrowserTabs.h"
#include "desktop/DesktopAdapters.h"
#include "desktop/ScreenCheck.h"
#include "keychain/SystemKeychain.h"
#include "log/Log.h"
#include "model/Model.h"
#include "model/ModelAdapters.h"
#include "settings/Settings.h"
#include "support/UserFolders.h"
#include "update/Updater.h"
#include "support/Version.h"
#include "x11/X11Pointer.h"

#include <QCoreApplication>
#include <QCoroTask>

namespace murva {

AppParts::AppParts(const QStringList &arguments, const QString &executablePath,
                   std::function<TrayIconState()> trayIcon)
    : arguments_(arguments), executablePath_(executablePath)
{
    keychain = makeKeychain();
    browser = Adapters::browserOpener();
    signIn = std::make_shared<SignIn>(Settings().apiBase(), *keychain, *browser);
    store = std::make_shared<RecordingStore>(UserFolders::recordingsFolder());
    // One gate for everything that reads the screen, so one refusal holds for all.
    const auto screen = std::make_shared<ScreenAccess>(Adapters::screenContent());
    screenCheck = std::make_unique<ScreenCheck>(screen, [] { return Adapters::capturePorts(false); });

    ModelParts parts;
    parts.makeCapture = captureFactory([](bool withVideo) { return Adapters::capturePorts(withVideo); });
    parts.screen = screen;
    parts.store = store;
    parts.watcher = std::make_unique<CallWatcher>(Adapters::audioProcesses(), screen);
    parts.accounts = std::make_shared<SignInAccounts>(signIn);
    parts.service = std::make_shared<ServiceForAccounts>(signIn, *store);
    parts.permissions = Adapters::permissions();
    parts.autostart = Adapters::autostart(executablePath);
    parts.browser = browser;
    parts.inspector = Adapters::mediaInspector();
    parts.relauncher = Adapters::relauncher(executablePath, arguments.mid(1));
    parts.tabAddresses = [] { return BrowserTabs::addresses(); };
    parts.pointer = [] { return x11PointerPosition(); };
    ScreenCheck *check = screenCheck.get();
    parts.checkScreen = [check] { return check->checkScreen(); };
    parts.trayIcon = std::move(trayIcon);
    parts.arguments = arguments;
    model = std::make_unique<Model>(std::move(parts));
}

AppParts::~AppParts() = default;

void AppParts::finishThenQuit()
{
    [](Model &running) -> QCoro::Task<> {
        co_await running.finishForQuit();
        Log::flush();
        QCoreApplication::quit();
    }(*model);
}

void AppParts::startUpdates(std::function<void()> quit)
{
    updates = Adapters::installedUpdates(executablePath_, arguments_.mid(1), QString::fromLatin1(buildVersion()));
    if (!updates) {
        return;
    }
    Model *watched = model.get();
    updater = std::make_unique<Updater>(*updates, [watched] { return watched->phase(); }, std::move(quit));
    QObject::connect(watched, &Model::phaseChanged, updater.get(), &Updater::installIfFree);
    updates->start();
}

} // namespace murva
