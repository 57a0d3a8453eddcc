#include "shell/ShellWindows.h"

#include "model/Model.h"
#include "settings/Language.h"

#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

namespace murva {

bool needsWayIn(bool iconHidden, bool anyWindowVisible)
{
    return iconHidden && !anyWindowVisible;
}

ShellWindows::ShellWindows(Model &model, QObject *parent)
    : QObject(parent), model_(model)
{
}

ShellWindows::~ShellWindows()
{
    delete welcome_;
    delete settings_;
    delete home_;
}

// The windows' own views come later; until then each is its frame and its name.
QWidget *ShellWindows::window(QPointer<QWidget> &slot, const QString &name, const QString &title, int height)
{
    if (!slot) {
        auto *window = new QWidget;
        window->setObjectName(name);
        window->setWindowTitle(title);
        window->setFixedSize(440, height);
        window->setStyleSheet(QStringLiteral("QWidget#%1 { background: #F7F3EA; }").arg(name));
        auto *layout = new QVBoxLayout(window);
        auto *label = new QLabel(title);
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
        slot = window;
    }
    return slot;
}

void ShellWindows::showWelcome()
{
    bringForward(window(welcome_, QStringLiteral("welcome"), QStringLiteral("Murva"), 420));
}

void ShellWindows::showSettings()
{
    bringForward(window(settings_, QStringLiteral("settings"), Language::text(QStringLiteral("settingsTitle")), 400));
}

void ShellWindows::showHome()
{
    if (!model_.ready()) {
        showWelcome();
        return;
    }
    QWidget *home = window(home_, QStringLiteral("home"), QStringLiteral("Murva Recorder"), 400);
    model_.refreshHome();
    bringForward(home);
}

bool ShellWindows::anyVisible() const
{
    for (const QPointer<QWidget> &window : {welcome_, settings_, home_}) {
        if (window && window->isVisible()) {
            return true;
        }
    }
    return false;
}

void ShellWindows::keepWayIn()
{
    if (needsWayIn(model_.iconHidden(), anyVisible())) {
        showHome();
    }
}

void ShellWindows::bringForward(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace murva
