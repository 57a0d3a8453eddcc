#pragma once

#include <QWidget>

namespace murva {

// A numbered step's circle: green with a check when done, ink with the number when it is
// the step to take, plate with a soft number otherwise.
class StepMark : public QWidget {
    Q_OBJECT
public:
    explicit StepMark(int number, QWidget *parent = nullptr);

    void set(bool done, bool next);
    bool done() const { return done_; }
    bool next() const { return next_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int number_;
    bool done_ = false;
    bool next_ = false;
};

} // namespace murva
