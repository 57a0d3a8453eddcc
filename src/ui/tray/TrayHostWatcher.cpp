#include "tray/TrayHostWatcher.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace murva {
namespace {
const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");
} // namespace

TrayHostWatcher::TrayHostWatcher(const QDBusConnection &bus, QObject *parent)
    : QObject(parent), bus_(bus)
{
    if (!bus_.isConnected()) {
        return;
    }
    watcher_ = new QDBusServiceWatcher(watcherService, bus_, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) {
                if (newOwner.isEmpty()) {
                    setPresent(false);
                } else {
                    askIfHostRegistered();
                }
            });
    // A host that registers after the watcher started (the panel's own start-up order).
    bus_.connect(watcherService, watcherPath, watcherService, QStringLiteral("StatusNotifierHostRegistered"), this,
                 SLOT(askIfHostRegistered()));
    askIfHostRegistered();
}

void TrayHostWatcher::askIfHostRegistered()
{
    QDBusMessage get = QDBusMessage::createMethodCall(watcherService, watcherPath,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << watcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    auto *call = new QDBusPendingCallWatcher(bus_.asyncCall(get), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, &TrayHostWatcher::readAnswer);
}

void TrayHostWatcher::readAnswer(QDBusPendingCallWatcher *call)
{
    call->deleteLater();
    const QDBusPendingReply<QDBusVariant> reply = *call;
    // No watcher, or one that cannot answer, means no host.
    setPresent(!reply.isError() && reply.value().variant().toBool());
}

void TrayHostWatcher::setPresent(bool present)
{
    if (present == present_) {
        return;
    }
    present_ = present;
    emit hostPresentChanged(present);
}

} // namespace murva
