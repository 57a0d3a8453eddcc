#include "PrivateSecretService.h"

#include "support/TestMain.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

namespace murva::test {
namespace {

class StopAtExit : public testing::Environment {
public:
    void TearDown() override { PrivateSecretService::instance().stop(); }
};

} // namespace

PrivateSecretService &PrivateSecretService::instance()
{
    static PrivateSecretService *session = [] {
        testing::AddGlobalTestEnvironment(new StopAtExit);
        return new PrivateSecretService;
    }();
    return *session;
}

PrivateSecretService::PrivateSecretService()
{
    folder_ = privateHome() + QStringLiteral("/session");
    QDir().mkpath(folder_);
    QFile::setPermissions(folder_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    bus_ = std::make_unique<PrivateBus>();
    if (busRunning()) {
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus_->address().toUtf8());
    }
    // QtKeychain picks KWallet on a KDE desktop; the test wants the secret service.
    for (const char *name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "KDE_SESSION_VERSION"}) {
        qunsetenv(name);
    }
}

bool PrivateSecretService::startKeyring()
{
    if (!busRunning()) {
        return false;
    }
    if (!keyring_) {
        keyring_ = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder_);
        keyring_->setProcessEnvironment(environment);
        keyring_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        keyring_->start(QStringLiteral("gnome-keyring-daemon"),
                        {QStringLiteral("--foreground"), QStringLiteral("--unlock"),
                         QStringLiteral("--components=secrets")});
        if (!keyring_->waitForStarted(5000)) {
            return false;
        }
        // An empty password unlocks nothing: gnome-keyring 42 then creates no "login"
        // collection, and every write fails for want of one.
        keyring_->write("murva-test");
        keyring_->waitForBytesWritten(2000);
        keyring_->closeWriteChannel();
    }
    QDeadlineTimer deadline(10000);
    const QDBusConnection bus = bus_->connection();
    while (!bus.isConnected() || !bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.secrets"))) {
        if (deadline.hasExpired() || keyring_->state() == QProcess::NotRunning) {
            return false;
        }
        QThread::msleep(50);
    }
    return true;
}

void PrivateSecretService::stop()
{
    if (keyring_ && keyring_->state() != QProcess::NotRunning) {
        keyring_->terminate();
        if (!keyring_->waitForFinished(3000)) {
            keyring_->kill();
            keyring_->waitForFinished(1000);
        }
    }
    keyring_.reset();
    bus_.reset();
}

} // namespace murva::test
