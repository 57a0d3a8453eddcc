#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusVariant>
#include <QObject>
#include <QStringList>

#include <optional>
#include <vector>

namespace murva::test {

// The part of a desktop panel that tray items register with: the StatusNotifier
// watcher with one host. Items are "service path" as they registered.
class StatusNotifierWatcher : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
public:
    explicit StatusNotifierWatcher(QDBusConnection bus);
    ~StatusNotifierWatcher() override;

    bool hostRegistered() const { return true; }
    QStringList items() const { return items_; }
    int protocolVersion() const { return 0; }

public slots:
    void RegisterStatusNotifierItem(const QString &service);
    void RegisterStatusNotifierHost(const QString &) {}

signals:
    void StatusNotifierItemRegistered(const QString &item);
    void StatusNotifierHostRegistered();

private:
    QDBusConnection bus_;
    QStringList items_;
};

// One line of an exported menu.
struct MenuLine {
    int id;
    QString label;
};

// Reads and clicks a tray item's menu over com.canonical.dbusmenu.
class ExportedMenu {
public:
    ExportedMenu(QDBusConnection bus, QString service, QString path);
    // Every line with a label, submenus' lines after their own.
    std::vector<MenuLine> layout() const;
    QStringList labels() const;
    // Clicks the first line whose label starts with `label`; false when there is none.
    bool click(const QString &label) const;

private:
    QDBusConnection bus_;
    QString service_;
    QString path_;
};

// The menu of the first item that registered with `watcher`: the item's "Menu" property.
std::optional<ExportedMenu> menuOf(QDBusConnection bus, const QString &item);

} // namespace murva::test
