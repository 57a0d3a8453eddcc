#include "bar/RecordingBar.h"

#include "bar/BarRow.h"
#include "bar/BarWindow.h"
#include "shell/X11SelectionOwner.h"

#include "model/Model.h"

#include <QGuiApplication>
#include <QScreen>

namespace murva {

RecordingBar::RecordingBar(Model &model, QObject *parent)
    : QObject(parent), model_(model)
{
    compositor_ = new X11SelectionOwner("_NET_WM_CM_S0", this);
    connect(compositor_, &X11SelectionOwner::ownedChanged, this, [this](bool composited) {
        if (window_) {
            window_->setComposited(composited);
        }
    });
    connect(&model_, &Model::nowChanged, this, &RecordingBar::refresh);
    connect(&model_, &Model::phaseChanged, this, &RecordingBar::refresh);
    connect(&model_, &Model::settingsChanged, this, &RecordingBar::refresh);
}

RecordingBar::~RecordingBar()
{
    delete window_;
}

QPoint RecordingBar::place(QSize size, QRect available)
{
    return QPoint(available.x() + (available.width() - size.width()) / 2, available.top() - 14);
}

void RecordingBar::show(const ModelPhase &phase)
{
    if (phase.is(ModelPhase::Kind::idle)) {
        if (window_) {
            window_->hide();
        }
        return;
    }
    if (!window_) {
        window_ = new BarWindow;
        connect(&window_->row(), &BarRow::chosen, this, &RecordingBar::run);
        window_->setComposited(compositor_->owned().value_or(true));
    }
    compositor_->ask(); // a compositor may have come or gone since the last time
    window_->row().show(barItems(phase, model_.now()));
    window_->adjustSize();
    placeOnPrimaryScreen();
    window_->show();
    window_->raise();
}

void RecordingBar::refresh()
{
    if (window_ && window_->isVisible()) {
        window_->row().show(barItems(model_.phase(), model_.now()));
    }
}

void RecordingBar::placeOnPrimaryScreen()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    window_->move(place(window_->size(), screen->availableGeometry()));
}

void RecordingBar::run(BarCommand command)
{
    const ModelPhase phase = model_.phase();
    switch (command) {
    case BarCommand::record:
        model_.recordNow();
        break;
    case BarCommand::notNow:
        model_.notNow();
        break;
    case BarCommand::stopAndSave:
        model_.stopAndSave(QStringLiteral("Stop and save"));
        break;
    case BarCommand::openMeeting:
        model_.open(phase.meetingId());
        break;
    case BarCommand::connect:
        model_.connect();
        break;
    case BarCommand::tryAgain:
        model_.retry(phase.id()); // does nothing once the store no longer holds it
        break;
    case BarCommand::none:
        break;
    }
}

} // namespace murva
