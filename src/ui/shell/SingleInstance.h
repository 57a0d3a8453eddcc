#pragma once

#include <QDBusConnection>
#include <QString>

#include <optional>

namespace murva {

class ApplicationService;

// One recorder per session: the first launch owns the bus name "dev.murva.recorder";
// a later launch hands its request (activate, or one action) to it and ends. Both are
// done at start-up, before the event loop runs.
namespace SingleInstance {

inline const QString busName = QStringLiteral("dev.murva.recorder");
inline const QString objectPath = QStringLiteral("/dev/murva/recorder");

enum class Outcome {
    first,     // this process owns the name and serves `service`
    forwarded, // a running recorder took the request: this process ends
    alone,     // no session bus, or the name could not be had: run without it
};

// Claims the name, or forwards `action` (empty: activate) to its owner. A recorder that
// is quitting refuses; then this waits (up to `waitSec`) for it to go and claims the name.
Outcome claimOrForward(const QDBusConnection &bus, ApplicationService &service, const QString &action,
                       double waitSec = 60);

} // namespace SingleInstance

} // namespace murva
