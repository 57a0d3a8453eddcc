#pragma once

#include <QColor>
#include <QWidget>

class QLabel;
class QHBoxLayout;
class QVBoxLayout;

namespace murva {

class MurvaButton;

// Small pieces the home window is built from.

// A white card with a thin border; lays out its content vertically.
class Card : public QWidget {
    Q_OBJECT
public:
    explicit Card(QWidget *parent = nullptr);
    QVBoxLayout &content() { return *content_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QVBoxLayout *content_;
};

// A card that reports a click anywhere on it, and shows it is clickable on hover.
class ClickableCard : public Card {
    Q_OBJECT
public:
    using Card::Card;

signals:
    void clicked();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool hovered_ = false;
};

// A rounded label with a dot of its tone: the status pill and the notes chips.
class Chip : public QWidget {
    Q_OBJECT
public:
    explicit Chip(QWidget *parent = nullptr);
    void set(const QString &text, const QColor &tone);
    QString text() const { return text_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString text_;
    QColor tone_;
};

// A section's title on the left and a text link on the right.
struct SectionHeader {
    QWidget *widget;
    QLabel *title;
    MurvaButton *link;
};
SectionHeader sectionHeader(const QString &linkName);

// Deletes every item of `layout`, later for widgets, since one of them may be the sender
// of the click being handled.
void clearLayout(QVBoxLayout &layout);

} // namespace murva
