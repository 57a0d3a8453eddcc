#include "PanelBus.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>

namespace murva::test {

namespace {

// A session bus that starts no service on demand: a call to the secret service would
// otherwise start gnome-keyring, which then waits for a person to unlock it.
const char busConfig[] = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

} // namespace

PrivateBus::PrivateBus()
{
    config_.open();
    config_.write(busConfig);
    config_.flush();
    daemon_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + config_.fileName(),
                                                  QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    waitFor([this] { return daemon_.canReadLine() || daemon_.state() == QProcess::NotRunning; }, 10);
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    static int count = 0;
    name_ = QStringLiteral("private-bus-%1").arg(++count);
}

PrivateBus::~PrivateBus()
{
    QDBusConnection::disconnectFromBus(name_);
    daemon_.terminate();
    daemon_.waitForFinished(5000);
}

QDBusConnection PrivateBus::connection() const
{
    return QDBusConnection::connectToBus(address_, name_);
}

StatusNotifierWatcher::StatusNotifierWatcher(QDBusConnection bus)
    : bus_(std::move(bus))
{
    bus_.registerObject(QStringLiteral("/StatusNotifierWatcher"), this,
                        QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals
                            | QDBusConnection::ExportAllProperties);
    bus_.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"));
    emit StatusNotifierHostRegistered();
}

StatusNotifierWatcher::~StatusNotifierWatcher()
{
    bus_.unregisterService(QStringLiteral("org.kde.StatusNotifierWatcher"));
    bus_.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
}

// An item names either its service (its path is then /StatusNotifierItem) or its path.
void StatusNotifierWatcher::RegisterStatusNotifierItem(const QString &service)
{
    const QString sender = message().service();
    const QString item = service.startsWith(QLatin1Char('/')) ? sender + QLatin1Char(' ') + service
                                                               : service + QStringLiteral(" /StatusNotifierItem");
    items_ << item;
    emit StatusNotifierItemRegistered(item);
}

ExportedMenu::ExportedMenu(QDBusConnection bus, QString service, QString path)
    : bus_(std::move(bus)), service_(std::move(service)), path_(std::move(path))
{
}

namespace {

// (ia{sv}av): an id, properties and children, each child a variant of the same.
void readItem(const QDBusArgument &argument, std::vector<MenuLine> &lines)
{
    int id = 0;
    QVariantMap properties;
    argument.beginStructure();
    argument >> id >> properties;
    if (properties.contains(QStringLiteral("label"))) {
        lines.push_back({id, properties.value(QStringLiteral("label")).toString().remove(QLatin1Char('_')),
                         properties.value(QStringLiteral("enabled"), true).toBool()});
    }
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        readItem(child.variant().value<QDBusArgument>(), lines);
    }
    argument.endArray();
    argument.endStructure();
}

} // namespace

std::vector<MenuLine> ExportedMenu::layout() const
{
    QDBusMessage call = QDBusMessage::createMethodCall(service_, path_, QStringLiteral("com.canonical.dbusmenu"),
                                                       QStringLiteral("GetLayout"));
    call << 0 << -1 << QStringList{};
    const QDBusMessage reply = bus_.call(call);
    std::vector<MenuLine> lines;
    if (reply.type() == QDBusMessage::ReplyMessage && reply.arguments().size() == 2) {
        readItem(reply.arguments().at(1).value<QDBusArgument>(), lines);
    }
    return lines;
}

QStringList ExportedMenu::labels() const
{
    QStringList out;
    for (const MenuLine &line : layout()) {
        out << line.label;
    }
    return out;
}

bool ExportedMenu::click(const QString &label) const
{
    for (const MenuLine &line : layout()) {
        if (line.label.startsWith(label)) {
            QDBusMessage event = QDBusMessage::createMethodCall(service_, path_, QStringLiteral("com.canonical.dbusmenu"),
                                                                QStringLiteral("Event"));
            event << line.id << QStringLiteral("clicked") << QVariant::fromValue(QDBusVariant(0)) << 0u;
            return bus_.call(event).type() == QDBusMessage::ReplyMessage;
        }
    }
    return false;
}

std::optional<ExportedMenu> menuOf(QDBusConnection bus, const QString &item)
{
    const QString service = item.section(QLatin1Char(' '), 0, 0);
    const QString path = item.section(QLatin1Char(' '), 1);
    QDBusMessage get = QDBusMessage::createMethodCall(service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << QStringLiteral("org.kde.StatusNotifierItem") << QStringLiteral("Menu");
    const QDBusMessage reply = bus.call(get);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        return std::nullopt;
    }
    const QDBusObjectPath menu = reply.arguments().at(0).value<QDBusVariant>().variant().value<QDBusObjectPath>();
    return ExportedMenu(bus, service, menu.path());
}

bool waitFor(const std::function<bool()> &condition, double limitSec)
{
    const QDeadlineTimer deadline(qint64(limitSec * 1000));
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

} // namespace murva::test
