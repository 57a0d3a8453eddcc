#pragma once

#include "support/PrivateServers.h"

#include <QProcess>
#include <QString>

#include <memory>

namespace murva::test {

// A private D-Bus session for this test process, and on demand gnome-keyring's secret
// service in it, unlocked with a test password and keeping its keyrings in the test's
// private data folder. Both stay up until the process ends; nothing reaches the user's
// own session.
class PrivateSecretService {
public:
    // Starts the bus (once) and points DBUS_SESSION_BUS_ADDRESS at it. The bus starts no
    // service by itself, so a secret service exists only after `startKeyring`.
    static PrivateSecretService &instance();

    // Starts gnome-keyring-daemon (once) and waits until it owns org.freedesktop.secrets.
    bool startKeyring();
    bool busRunning() const { return bus_ && !bus_->address().isEmpty(); }

    // Ends the processes; called when the test program ends.
    void stop();

private:
    PrivateSecretService();

    QString folder_;
    std::unique_ptr<PrivateBus> bus_;
    std::unique_ptr<QProcess> keyring_;
};

} // namespace murva::test
