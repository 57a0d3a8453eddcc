#include "PanelBus.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>

namespace murva::test {

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
        lines.push_back({id, properties.value(QStringLiteral("label")).toString().remove(QLatin1Char('_'))});
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

} // namespace murva::test
