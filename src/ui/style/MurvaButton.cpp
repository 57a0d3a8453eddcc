#include "style/MurvaButton.h"

#include "style/Style.h"

namespace murva {

MurvaButton::MurvaButton(Kind kind, int height, bool pill, QWidget *parent)
    : QPushButton(parent), kind_(kind), height_(height), pill_(pill)
{
    setFixedHeight(height);
    setCursor(Qt::PointingHandCursor);
    setFont(Style::font(13, QFont::DemiBold));
    setFocusPolicy(Qt::TabFocus);
    restyle();
}

void MurvaButton::setKind(Kind kind)
{
    if (kind != kind_) {
        kind_ = kind;
        restyle();
    }
}

void MurvaButton::restyle()
{
    using namespace Style;
    const int radius = pill_ ? height_ / 2 : 7;
    QString fill = QStringLiteral("transparent");
    QString text = css(Colors::ink);
    QString border = QStringLiteral("none");
    QString hover = css(Colors::plate);
    if (kind_ == Kind::primary) {
        fill = css(Colors::ink);
        text = css(Colors::white);
        hover = css(Colors::ink.lighter(160));
    } else if (kind_ == Kind::secondary) {
        border = QStringLiteral("1px solid ") + css(Colors::line);
        fill = css(Colors::white);
    }
    setStyleSheet(QStringLiteral("QPushButton { background: %1; color: %2; border: %3; border-radius: %4px;"
                                 " padding: 0 12px; }"
                                 "QPushButton:hover { background: %5; }"
                                 "QPushButton:disabled { color: %6; }")
                      .arg(fill, text, border)
                      .arg(radius)
                      .arg(hover, css(Colors::muted)));
}

} // namespace murva
