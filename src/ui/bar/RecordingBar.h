#pragma once

#include "bar/BarItems.h"

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace murva {

class BarWindow;
class Model;
class X11SelectionOwner;

// The floating bar that follows the recording flow: shown in every phase but idle, at
// the top centre of the primary screen each time it appears, drawn from the model.
class RecordingBar : public QObject {
    Q_OBJECT
public:
    explicit RecordingBar(Model &model, QObject *parent = nullptr);
    ~RecordingBar() override;

    // Hides the bar when idle; otherwise shows it without taking the focus.
    void show(const ModelPhase &phase);
    // The window, once a phase other than idle created it.
    BarWindow *window() const { return window_; }

    // Where a bar of `size` goes on a screen whose free area is `available`: centred, its
    // top 14 pixels above the free area, so that the capsule under its 22-pixel margin
    // starts 8 pixels below the panel.
    static QPoint place(QSize size, QRect available);

private:
    void refresh();
    void run(BarCommand command);
    void placeOnPrimaryScreen();

    Model &model_;
    BarWindow *window_ = nullptr;
    X11SelectionOwner *compositor_ = nullptr;
};

} // namespace murva
