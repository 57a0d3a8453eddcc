#pragma once

#include "bar/BarItems.h"

#include <QWidget>

#include <vector>

class QHBoxLayout;

namespace murva {

// The bar's content: one row of badges, texts, progress and buttons. When only texts or
// the progress change (the clock's tick), the widgets are updated rather than rebuilt.
class BarRow : public QWidget {
    Q_OBJECT
public:
    explicit BarRow(QWidget *parent = nullptr);

    void show(const std::vector<BarItem> &items);

signals:
    void chosen(murva::BarCommand command);

private:
    void rebuild(const std::vector<BarItem> &items);
    void update(const std::vector<BarItem> &items);
    QWidget *makeWidget(const BarItem &item);

    QHBoxLayout *layout_;
    std::vector<BarItem> shown_;
    std::vector<QWidget *> widgets_; // one per item; a note's is its label
};

} // namespace murva
