#include "style/LanguageSwitch.h"

#include "settings/Language.h"
#include "style/Style.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace murva {
namespace {
QString capsuleStyle(bool filled)
{
    using namespace Style;
    return QStringLiteral("QPushButton { background: %1; color: %2; border: 1px solid %3; border-radius: 11px; }")
        .arg(filled ? css(Colors::ink) : QStringLiteral("transparent"), filled ? css(Colors::white) : css(Colors::softInk),
             filled ? css(Colors::ink) : css(Colors::line));
}
} // namespace

LanguageSwitch::LanguageSwitch(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    for (const QString &code : Language::supported()) {
        auto *button = new QPushButton(code.toUpper());
        button->setObjectName(QStringLiteral("language-") + code);
        button->setFixedSize(30, 22);
        button->setFont(Style::font(11, QFont::DemiBold));
        button->setCursor(Qt::PointingHandCursor);
        button->setStyleSheet(capsuleStyle(false));
        connect(button, &QPushButton::clicked, this, [this, code] { emit chosen(code); });
        layout->addWidget(button);
        buttons_.emplace_back(code, button);
    }
}

void LanguageSwitch::setCurrent(const QString &code)
{
    for (const auto &[buttonCode, button] : buttons_) {
        button->setStyleSheet(capsuleStyle(buttonCode == code));
    }
}

} // namespace murva
