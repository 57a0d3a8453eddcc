#pragma once

#include "tray/MenuEntries.h"

#include <QObject>

#include <vector>

class QAction;
class QMenu;

namespace murva {

// Keeps a QMenu equal to a list of entries. When only texts or checks changed (the
// running clock, a progress), the existing actions are updated, so that a panel reading
// the exported menu gets changed properties rather than a whole new layout.
class TrayMenu : public QObject {
    Q_OBJECT
public:
    explicit TrayMenu(QMenu &menu, QObject *parent = nullptr);

    void show(const std::vector<MenuEntry> &entries);

signals:
    void chosen(murva::MenuCommand command, const QString &argument);

private:
    void rebuild(QMenu &menu, const std::vector<MenuEntry> &entries);
    void update(QMenu &menu, const std::vector<MenuEntry> &entries);
    QAction *addEntry(QMenu &menu, const MenuEntry &entry);

    QMenu &menu_;
    std::vector<MenuEntry> shown_;
};

} // namespace murva
