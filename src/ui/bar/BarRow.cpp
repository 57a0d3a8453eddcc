#include "bar/BarRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace murva {
namespace {

using Kind = BarItem::Kind;

// The palette of the app's buttons and badges.
const QString barStyle = QStringLiteral(
    "QLabel { color: #1F2937; font-size: 14px; }"
    "QLabel#note { color: #6B7280; font-size: 12px; }"
    "QLabel#indicator { background: #E11D48; border-radius: 5px; }"
    "QLabel#checkBadge { background: #16A34A; color: white; border-radius: 10px; font-size: 11px; font-weight: bold; }"
    "QLabel#alertBadge { background: #F59E0B; color: white; border-radius: 10px; font-size: 13px; font-weight: bold; }"
    "QPushButton { min-height: 32px; max-height: 32px; padding: 0 14px; border-radius: 16px; font-size: 13px;"
    "  font-weight: 600; }"
    "QPushButton#primary { background: #4F46E5; color: white; border: none; }"
    "QPushButton#primary:hover { background: #4338CA; }"
    "QPushButton#secondary { background: #F3F4F6; color: #1F2937; border: 1px solid #E5E7EB; }"
    "QToolButton#close { border: none; color: #6B7280; font-size: 13px; font-weight: 600; padding: 4px; }"
    "QProgressBar { background: #E5E7EB; border: none; border-radius: 3px; max-height: 6px; min-width: 120px; }"
    "QProgressBar::chunk { background: #4F46E5; border-radius: 3px; }");

bool sameShape(const std::vector<BarItem> &a, const std::vector<BarItem> &b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].kind != b[i].kind || a[i].command != b[i].command) {
            return false;
        }
    }
    return true;
}

QLabel *badge(const QString &name, const QString &text, int size)
{
    auto *label = new QLabel(text);
    label->setObjectName(name);
    label->setFixedSize(size, size);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

BarRow::BarRow(QWidget *parent)
    : QWidget(parent), layout_(new QHBoxLayout(this))
{
    setStyleSheet(barStyle);
    layout_->setContentsMargins(16, 0, 8, 0);
    layout_->setSpacing(12);
    setFixedHeight(48);
}

void BarRow::show(const std::vector<BarItem> &items)
{
    if (items == shown_) {
        return;
    }
    if (sameShape(items, shown_) && !shown_.empty()) {
        update(items);
    } else {
        rebuild(items);
    }
    shown_ = items;
}

void BarRow::rebuild(const std::vector<BarItem> &items)
{
    // A column is a layout item of its own, holding its text and note. Widgets go later:
    // the button whose click changed the phase is still in its clicked handler.
    const auto drop = [](QLayoutItem *item) {
        if (QWidget *widget = item->widget()) {
            widget->hide();
            widget->deleteLater();
        }
    };
    while (QLayoutItem *old = layout_->takeAt(0)) {
        if (QLayout *column = old->layout()) {
            while (QLayoutItem *inner = column->takeAt(0)) {
                drop(inner);
                delete inner;
            }
        }
        drop(old);
        delete old;
    }
    widgets_.clear();
    QVBoxLayout *column = nullptr;
    for (const BarItem &item : items) {
        QWidget *widget = makeWidget(item);
        widgets_.push_back(widget);
        if (item.kind == Kind::text) {
            // A text and the note under it share one column.
            column = new QVBoxLayout;
            column->setSpacing(0);
            column->addWidget(widget);
            layout_->addLayout(column, 1);
        } else if (item.kind == Kind::note && column) {
            column->addWidget(widget);
        } else {
            layout_->addWidget(widget);
        }
        // In a shown row a new child would only be shown on a later turn of the event
        // loop, too late for the size the window is placed by.
        widget->show();
    }
    adjustSize();
}

QWidget *BarRow::makeWidget(const BarItem &item)
{
    switch (item.kind) {
    case Kind::indicator:
        return badge(QStringLiteral("indicator"), {}, 10);
    case Kind::checkBadge:
        return badge(QStringLiteral("checkBadge"), QStringLiteral("✓"), 20);
    case Kind::alertBadge:
        return badge(QStringLiteral("alertBadge"), QStringLiteral("!"), 20);
    case Kind::text:
    case Kind::note: {
        auto *label = new QLabel(item.text);
        label->setObjectName(item.kind == Kind::note ? QStringLiteral("note") : QStringLiteral("text"));
        return label;
    }
    case Kind::progress: {
        auto *bar = new QProgressBar;
        bar->setRange(0, 1000);
        bar->setValue(int(item.progress * 1000));
        bar->setTextVisible(false);
        return bar;
    }
    case Kind::closeButton: {
        auto *button = new QToolButton;
        button->setObjectName(QStringLiteral("close"));
        button->setText(QStringLiteral("✕"));
        button->setAccessibleName(item.text);
        button->setToolTip(item.text);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, command = item.command] { emit chosen(command); });
        return button;
    }
    case Kind::primaryButton:
    case Kind::secondaryButton:
        break;
    }
    auto *button = new QPushButton(item.text);
    button->setObjectName(item.kind == Kind::primaryButton ? QStringLiteral("primary") : QStringLiteral("secondary"));
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    connect(button, &QPushButton::clicked, this, [this, command = item.command] { emit chosen(command); });
    return button;
}

void BarRow::update(const std::vector<BarItem> &items)
{
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == shown_[i]) {
            continue;
        }
        if (auto *label = qobject_cast<QLabel *>(widgets_[i])) {
            label->setText(items[i].text);
        } else if (auto *progress = qobject_cast<QProgressBar *>(widgets_[i])) {
            progress->setValue(int(items[i].progress * 1000));
        } else if (auto *button = qobject_cast<QPushButton *>(widgets_[i])) {
            button->setText(items[i].text);
        }
    }
    adjustSize();
}

} // namespace murva
