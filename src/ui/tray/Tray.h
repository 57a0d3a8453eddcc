#pragma once

#include "tray/MenuEntries.h"

#include <QDBusConnection>
#include <QObject>

#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace murva {

class Model;
class TrayHostWatcher;
class TrayMenu;
class X11SelectionOwner;

// The tray icon and its menu, drawn from the model at every published change. The icon
// is created only once a panel can show it (a StatusNotifier host, or an XEmbed tray); until then, and whenever the panel goes
// away, the icon counts as hidden.
class Tray : public QObject {
    Q_OBJECT
public:
    Tray(Model &model, const QDBusConnection &bus, QObject *parent = nullptr);
    ~Tray() override;

    bool iconShown() const;
    // The menu as it stands (also when no icon is shown), for previews.
    QMenu &menu() { return *menu_; }

signals:
    void chosen(murva::MenuCommand command, const QString &argument);
    void iconShownChanged(bool shown);

private:
    void refresh();
    void refreshIcon(const MenuState &state);
    void showIcon();

    Model &model_;
    std::unique_ptr<QMenu> menu_;
    TrayMenu *trayMenu_ = nullptr;
    TrayHostWatcher *hosts_ = nullptr;
    X11SelectionOwner *xembedTray_ = nullptr;
    QSystemTrayIcon *icon_ = nullptr;
    bool shown_ = false;
    bool recordingMark_ = false;
};

} // namespace murva
