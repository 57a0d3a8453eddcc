#pragma once

#include "bar/CapsuleShadow.h"

#include <QPoint>
#include <QWidget>

namespace murva {

class BarRow;

// The recording bar's window: frameless, above other windows, never taking the focus;
// a capsule with a hairline border and a soft shadow on a transparent background.
// Without a compositor transparent pixels come out black, so the capsule is then drawn
// alone and the window clipped to it. Dragging its background moves it.
class BarWindow : public QWidget {
    Q_OBJECT
public:
    explicit BarWindow(QWidget *parent = nullptr);

    BarRow &row() { return *row_; }
    // Whether transparent pixels can be shown (a compositor runs).
    void setComposited(bool composited);
    // The capsule, in the window's coordinates.
    QRectF capsule() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void clip();

    BarRow *row_;
    CapsuleShadow shadow_;
    bool composited_ = true;
    QPoint dragOffset_;
};

} // namespace murva
