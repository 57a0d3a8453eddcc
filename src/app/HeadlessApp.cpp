#include "HeadlessApp.h"

#include "AppParts.h"
#include "SignalRelay.h"

#include "log/Log.h"
#include "model/Model.h"

#include <QCoreApplication>
#include <QCoroTask>

#include <cstdio>

namespace murva {

HeadlessApp::HeadlessApp(const CommandLine &options, QObject *parent)
    : QObject(parent), parts_(std::make_unique<AppParts>(QCoreApplication::arguments(),
                                        QCoreApplication::applicationFilePath(), nullptr)),
      relay_(std::make_unique<SignalRelay>()), options_(options)
{
    Model &model = *parts_->model;
    model.onShowWelcome = [this] { sayWhatIsMissing(); };
    connect(&model, &Model::accountsChanged, this, &HeadlessApp::sayWhoIsSignedIn);
    connect(relay_.get(), &SignalRelay::quitRequested, this, &HeadlessApp::quit);
}

HeadlessApp::~HeadlessApp() = default;

void HeadlessApp::start()
{
    parts_->model->launch();
    parts_->startUpdates([this] { quit(0); });
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
    Log::write(signalNumber ? QStringLiteral("headless: quitting on signal %1").arg(signalNumber)
                            : QStringLiteral("headless: quitting for the update"));
    parts_->finishThenQuit();
}

} // namespace murva
