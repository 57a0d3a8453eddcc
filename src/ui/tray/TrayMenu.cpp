#include "tray/TrayMenu.h"

#include <QKeySequence>
#include <QMenu>

namespace murva {
namespace {

// Two lists have the same shape when only labels and checks differ.
bool sameShape(const std::vector<MenuEntry> &a, const std::vector<MenuEntry> &b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].kind != b[i].kind || a[i].command != b[i].command || a[i].argument != b[i].argument
            || !sameShape(a[i].children, b[i].children)) {
            return false;
        }
    }
    return true;
}

// An ampersand in a title is a character, not a mnemonic.
QString actionText(const QString &label)
{
    QString text = label;
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

TrayMenu::TrayMenu(QMenu &menu, QObject *parent)
    : QObject(parent), menu_(menu)
{
}

void TrayMenu::show(const std::vector<MenuEntry> &entries)
{
    if (entries == shown_) {
        return;
    }
    if (sameShape(entries, shown_) && !shown_.empty()) {
        update(menu_, entries);
    } else {
        rebuild(menu_, entries);
    }
    shown_ = entries;
}

void TrayMenu::rebuild(QMenu &menu, const std::vector<MenuEntry> &entries)
{
    // Submenus are children of their menu; clear() leaves them, so delete them too.
    for (QAction *action : menu.actions()) {
        if (QMenu *submenu = action->menu()) {
            submenu->deleteLater();
        }
    }
    menu.clear();
    for (const MenuEntry &entry : entries) {
        addEntry(menu, entry);
    }
}

QAction *TrayMenu::addEntry(QMenu &menu, const MenuEntry &entry)
{
    switch (entry.kind) {
    case MenuEntry::Kind::separator:
        return menu.addSeparator();
    case MenuEntry::Kind::submenu: {
        QMenu *submenu = menu.addMenu(actionText(entry.label));
        for (const MenuEntry &child : entry.children) {
            addEntry(*submenu, child);
        }
        return submenu->menuAction();
    }
    default:
        break;
    }
    QAction *action = menu.addAction(actionText(entry.label));
    action->setEnabled(entry.kind != MenuEntry::Kind::text);
    action->setCheckable(entry.kind == MenuEntry::Kind::toggle);
    action->setChecked(entry.checked);
    if (!entry.shortcut.isEmpty()) {
        action->setShortcut(QKeySequence(entry.shortcut, QKeySequence::PortableText));
    }
    const MenuCommand command = entry.command;
    const QString argument = entry.argument;
    const bool checked = entry.checked;
    connect(action, &QAction::triggered, this, [this, action, command, argument, checked] {
        // A toggle shows the model's state, which the command changes, not the click.
        action->setChecked(checked);
        emit chosen(command, argument);
    });
    return action;
}

void TrayMenu::update(QMenu &menu, const std::vector<MenuEntry> &entries)
{
    const QList<QAction *> actions = menu.actions();
    for (qsizetype i = 0; i < actions.size(); ++i) {
        const MenuEntry &entry = entries[std::size_t(i)];
        QAction *action = actions[i];
        if (action->text() != actionText(entry.label)) {
            action->setText(actionText(entry.label));
        }
        if (action->isChecked() != entry.checked) {
            action->setChecked(entry.checked);
        }
        if (QMenu *submenu = action->menu()) {
            update(*submenu, entry.children);
        }
    }
}

} // namespace murva
