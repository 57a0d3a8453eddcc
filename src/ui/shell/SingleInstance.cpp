#include "shell/SingleInstance.h"

#include "shell/ApplicationService.h"

#include "log/Log.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace murva::SingleInstance {
namespace {

constexpr int forwardTimeoutMs = 5000;

bool claim(const QDBusConnection &bus, ApplicationService &service)
{
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus.interface()->registerService(
        busName, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        return false;
    }
    QDBusConnection(bus).registerObject(objectPath, &service, QDBusConnection::ExportScriptableSlots);
    return true;
}

QDBusMessage forward(const QDBusConnection &bus, const QString &action)
{
    const QString interface = QStringLiteral("org.freedesktop.Application");
    QDBusMessage call = action.isEmpty()
        ? QDBusMessage::createMethodCall(busName, objectPath, interface, QStringLiteral("Activate"))
        : QDBusMessage::createMethodCall(busName, objectPath, interface, QStringLiteral("ActivateAction"));
    if (!action.isEmpty()) {
        call << action << QVariantList{};
    }
    call << QVariantMap{};
    return bus.call(call, QDBus::Block, forwardTimeoutMs);
}

// Until the quitting owner has let go of the name, or the time is up.
void waitForRelease(const QDBusConnection &bus, QDeadlineTimer deadline)
{
    QEventLoop loop;
    QDBusServiceWatcher watcher(busName, bus, QDBusServiceWatcher::WatchForUnregistration);
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceUnregistered, &loop, &QEventLoop::quit);
    QTimer::singleShot(deadline.remainingTime(), &loop, &QEventLoop::quit);
    if (bus.interface()->isServiceRegistered(busName)) {
        loop.exec();
    }
}

} // namespace

Outcome claimOrForward(const QDBusConnection &bus, ApplicationService &service, const QString &action, double waitSec)
{
    if (!bus.isConnected()) {
        Log::write(QStringLiteral("instance: no session bus, running alone"));
        return Outcome::alone;
    }
    const QDeadlineTimer deadline(qint64(waitSec * 1000));
    while (!deadline.hasExpired()) {
        if (claim(bus, service)) {
            return Outcome::first;
        }
        const QDBusMessage answer = forward(bus, action);
        if (answer.type() == QDBusMessage::ReplyMessage) {
            return Outcome::forwarded;
        }
        const QString error = answer.errorName();
        if (error == ApplicationService::quittingError) {
            waitForRelease(bus, deadline);
        } else if (error != QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
                   && error != QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")) {
            Log::write(QStringLiteral("instance: the running recorder did not answer (%1), running alone").arg(error));
            return Outcome::alone;
        }
        // The owner went away meanwhile: claim again.
    }
    Log::write(QStringLiteral("instance: the name %1 stayed taken, running alone").arg(busName));
    return Outcome::alone;
}

} // namespace murva::SingleInstance
