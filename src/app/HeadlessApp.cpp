#include "HeadlessApp.h"

#include "SignalRelay.h"

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
#include "x11/X11Pointer.h"

#include <QCoreApplication>
#include <QCoroTask>

#include <cstdio>

namespace murva {

// Owned in this order so that everything the model borrows outlives it.
struct HeadlessApp::Parts {
    std::unique_ptr<Keychain> keychain;
    std::shared_ptr<BrowserOpener> browser;
    std::shared_ptr<SignIn> signIn;
    std::shared_ptr<RecordingStore> store;
    std::unique_ptr<ScreenCheck> screenCheck;
    std::unique_ptr<SignalRelay> relay;
    std::unique_ptr<Model> model;
};

namespace {

ModelParts modelParts(HeadlessApp::Parts &parts, const QStringList &arguments);

} // namespace

HeadlessApp::HeadlessApp(const CommandLine &options, QObject *parent)
    : QObject(parent), parts_(std::make_unique<Parts>()), options_(options)
{
    Parts &parts = *parts_;
    parts.keychain = makeKeychain();
    parts.browser = Adapters::browserOpener();
    parts.signIn = std::make_shared<SignIn>(Settings().apiBase(), *parts.keychain, *parts.browser);
    parts.store = std::make_shared<RecordingStore>(UserFolders::recordingsFolder());
    parts.screenCheck = std::make_unique<ScreenCheck>([] { return Adapters::capturePorts(false); });
    parts.relay = std::make_unique<SignalRelay>();
    parts.model = std::make_unique<Model>(modelParts(parts, QCoreApplication::arguments()));

    Model &model = *parts.model;
    model.onShowWelcome = [this] { sayWhatIsMissing(); };
    connect(&model, &Model::accountsChanged, this, &HeadlessApp::sayWhoIsSignedIn);
    connect(parts.relay.get(), &SignalRelay::quitRequested, this, &HeadlessApp::quit);
}

HeadlessApp::~HeadlessApp() = default;

void HeadlessApp::start()
{
    parts_->model->launch();
    if (options_.connect) {
        parts_->model->connect();
    }
}

// Where the desktop app would open its welcome window: one line instead.
void HeadlessApp::sayWhatIsMissing()
{
    if (toldMissing_) {
        return;
    }
    toldMissing_ = true;
    const Model &model = *parts_->model;
    QStringList missing;
    if (!model.signedIn()) {
        missing << (options_.connect || model.connecting() ? QStringLiteral("an account (signing in now, in the browser)")
                                                             : QStringLiteral("an account (start with --connect)"));
    }
    if (!model.micAllowed()) {
        missing << QStringLiteral("a microphone (the sound server has no usable default input)");
    }
    if (!model.screenAllowed()) {
        missing << QStringLiteral("the screen (no X display)");
    }
    if (missing.isEmpty()) {
        missing << QStringLiteral("the screen check");
    }
    std::printf("murva-recorder: not ready yet; missing %s\n", qPrintable(missing.join(QStringLiteral(", "))));
    std::fflush(stdout);
}

void HeadlessApp::sayWhoIsSignedIn()
{
    const Model &model = *parts_->model;
    if (model.signedIn() == wasSignedIn_) {
        return;
    }
    wasSignedIn_ = model.signedIn();
    Log::write(wasSignedIn_ ? QStringLiteral("headless: signed in") : QStringLiteral("headless: signed out"));
}

void HeadlessApp::quit(int signalNumber)
{
    if (quitting_) {
        return;
    }
    quitting_ = true;
    Log::write(QStringLiteral("headless: quitting on signal %1").arg(signalNumber));
    [](Model &model) -> QCoro::Task<> {
        co_await model.finishForQuit();
        Log::flush();
        QCoreApplication::quit();
    }(*parts_->model);
}

namespace {

ModelParts modelParts(HeadlessApp::Parts &parts, const QStringList &arguments)
{
    ModelParts model;
    model.makeCapture = captureFactory([](bool withVideo) { return Adapters::capturePorts(withVideo); });
    model.store = parts.store;
    model.watcher = std::make_unique<CallWatcher>(Adapters::audioProcesses());
    model.accounts = std::make_shared<SignInAccounts>(parts.signIn);
    model.service = std::make_shared<ServiceForAccounts>(parts.signIn, *parts.store);
    model.permissions = Adapters::permissions();
    model.autostart = Adapters::autostart();
    model.browser = parts.browser;
    model.inspector = Adapters::mediaInspector();
    model.tabAddresses = [] { return BrowserTabs::addresses(); };
    model.pointer = [] { return x11PointerPosition(); };
    ScreenCheck *check = parts.screenCheck.get();
    model.checkScreen = [check] { return check->checkScreen(); };
    model.arguments = arguments;
    return model;
}

} // namespace

} // namespace murva
