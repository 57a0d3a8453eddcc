#pragma once

#include "CommandLine.h"

#include <QObject>

#include <memory>

namespace murva {

struct AppParts;
class SignalRelay;

// The whole recorder without tray or windows, for servers, tests and the demo: the model
// wired to the Linux adapters, the log echoed to standard output, and a quit on SIGTERM,
// SIGINT or SIGHUP that ends a running recording first. Lives on the main thread.
class HeadlessApp : public QObject {
    Q_OBJECT
public:
    explicit HeadlessApp(const CommandLine &options, QObject *parent = nullptr);
    ~HeadlessApp() override;

    // Launches the model (and the sign-in with "--connect"); returns at once.
    void start();

private:
    void sayWhatIsMissing();
    void sayWhoIsSignedIn();
    void quit(int signalNumber);

    std::unique_ptr<AppParts> parts_;
    std::unique_ptr<SignalRelay> relay_;
    CommandLine options_;
    bool toldMissing_ = false;
    bool quitting_ = false;
    bool wasSignedIn_ = false;
};

} // namespace murva
