#pragma once

#include <QAbstractButton>
#include <QWidget>

class QLabel;

namespace murva {

// A switch-style toggle, 36 by 20.
class Toggle : public QAbstractButton {
    Q_OBJECT
public:
    explicit Toggle(QWidget *parent = nullptr);
    QSize sizeHint() const override { return {36, 20}; }

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A setting: its title above its detail on the left, a toggle on the right. A click
// reports the wanted value; the row shows what the owner then sets.
class SwitchRow : public QWidget {
    Q_OBJECT
public:
    explicit SwitchRow(QWidget *parent = nullptr);

    void setTexts(const QString &title, const QString &detail);
    void setOn(bool on);
    bool isOn() const;

signals:
    void toggled(bool on);

private:
    QLabel *title_;
    QLabel *detail_;
    Toggle *toggle_;
};

} // namespace murva
