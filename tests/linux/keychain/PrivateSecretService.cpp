#include "PrivateSecretService.h"

#include "support/TestMain.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

namespace murva::test {
namespace {

// No <servicedir>: nothing is started on demand, so "no secret service" is real.
const char *busConfig = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

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
    QFile config(folder_ + QStringLiteral("/bus.conf"));
    if (!config.open(QIODevice::WriteOnly)) {
        return;
    }
    config.write(QString::fromLatin1(busConfig).arg(folder_).toUtf8());
    config.close();

    bus_ = std::make_unique<QProcess>();
    bus_->start(QStringLiteral("dbus-daemon"),
                {QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--nofork"),
                 QStringLiteral("--print-address=1")});
    QDeadlineTimer deadline(5000);
    while (!bus_->canReadLine() && bus_->waitForReadyRead(int(deadline.remainingTime()))) {
    }
    address_ = QString::fromUtf8(bus_->readLine()).trimmed();
    if (!address_.isEmpty()) {
        qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
    }
    // QtKeychain picks KWallet on a KDE desktop; the test wants the secret service.
    for (const char *name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "KDE_SESSION_VERSION"}) {
        qunsetenv(name);
    }
}

bool PrivateSecretService::secretsOwned() const
{
    const QDBusConnection bus = QDBusConnection::connectToBus(address_, QStringLiteral("test-probe"));
    return bus.isConnected() && bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.secrets"));
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
    while (!secretsOwned()) {
        if (deadline.hasExpired() || keyring_->state() == QProcess::NotRunning) {
            return false;
        }
        QThread::msleep(50);
    }
    return true;
}

void PrivateSecretService::stop()
{
    for (std::unique_ptr<QProcess> *process : {&keyring_, &bus_}) {
        if (*process && (*process)->state() != QProcess::NotRunning) {
            (*process)->terminate();
            if (!(*process)->waitForFinished(3000)) {
                (*process)->kill();
                (*process)->waitForFinished(1000);
            }
        }
        process->reset();
    }
}

} // namespace murva::test
