#include "tray/Tray.h"

#include "tray/TrayHostWatcher.h"
#include "tray/TrayIconArt.h"
#include "tray/TrayMenu.h"
#include "shell/X11SelectionOwner.h"

#include "log/Log.h"
#include "model/Model.h"

#include <QMenu>
#include <QSystemTrayIcon>

namespace murva {

Tray::Tray(Model &model, const QDBusConnection &bus, QObject *parent)
    : QObject(parent), model_(model), menu_(std::make_unique<QMenu>())
{
    trayMenu_ = new TrayMenu(*menu_, this);
    connect(trayMenu_, &TrayMenu::chosen, this, &Tray::chosen);
    connect(&model_, &Model::phaseChanged, this, &Tray::refresh);
    for (auto changed : {&Model::readyChanged, &Model::nextChanged, &Model::accountsChanged, &Model::recordingsChanged,
                         &Model::nowChanged, &Model::settingsChanged}) {
        connect(&model_, changed, this, &Tray::refresh);
    }
    hosts_ = new TrayHostWatcher(bus, this);
    connect(hosts_, &TrayHostWatcher::hostPresentChanged, this, &Tray::showIcon);
    xembedTray_ = new X11SelectionOwner("_NET_SYSTEM_TRAY_S0", this);
    connect(xembedTray_, &X11SelectionOwner::ownedChanged, this, &Tray::showIcon);
    refresh();
}

Tray::~Tray() = default;

bool Tray::iconShown() const
{
    return shown_;
}

void Tray::refresh()
{
    const MenuState state = MenuState::of(model_);
    trayMenu_->show(menuEntries(state));
    refreshIcon(state);
    if (!icon_) {
        xembedTray_->ask(); // an XEmbed tray announces itself by no signal of ours
    }
}

void Tray::refreshIcon(const MenuState &state)
{
    if (!icon_) {
        return;
    }
    const bool recording = state.phase.is(ModelPhase::Kind::recording);
    if (recording != recordingMark_) {
        recordingMark_ = recording;
        icon_->setIcon(TrayIconArt::icon(recording));
    }
    const QString name = QStringLiteral("Murva Recorder");
    const std::optional<QString> text = iconText(state);
    const QString tip = text ? name + QStringLiteral(" · ") + *text : name;
    if (icon_->toolTip() != tip) {
        icon_->setToolTip(tip);
    }
}

// Created only now: Qt asks once whether a tray exists and keeps that answer.
void Tray::showIcon()
{
    const bool hostPresent = hosts_->hostPresent() || xembedTray_->owned().value_or(false);
    if (hostPresent == shown_) {
        return;
    }
    shown_ = hostPresent;
    if (hostPresent && !icon_) {
        icon_ = new QSystemTrayIcon(TrayIconArt::icon(false), this);
        icon_->setContextMenu(menu_.get());
        recordingMark_ = false;
        refreshIcon(MenuState::of(model_));
    }
    if (icon_) {
        icon_->setVisible(hostPresent);
    }
    Log::write(hostPresent ? QStringLiteral("tray: a panel shows the icon") : QStringLiteral("tray: no panel shows the icon"));
    emit iconShownChanged(hostPresent);
}

} // namespace murva
