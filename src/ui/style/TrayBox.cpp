#include "style/TrayBox.h"

#include "style/Style.h"

#include <QLabel>
#include <QVBoxLayout>

namespace murva {

TrayBox::TrayBox(QWidget *parent)
    : QWidget(parent), title_(Style::label(13, Style::Colors::ink, QFont::DemiBold))
{
    using namespace Style;
    auto *panel = new QFrame;
    panel->setObjectName(QStringLiteral("trayPanel"));
    panel->setStyleSheet(QStringLiteral("QFrame#trayPanel { background: %1; border-radius: %2px; }")
                             .arg(css(Colors::plate))
                             .arg(Metrics::trayRadius));
    content_ = new QVBoxLayout(panel);
    content_->setContentsMargins(Metrics::trayPadding, Metrics::trayPadding, Metrics::trayPadding, Metrics::trayPadding);
    content_->setSpacing(Metrics::spacing);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(title_);
    layout->addWidget(panel);
}

void TrayBox::setTitle(const QString &title)
{
    title_->setText(title);
}

} // namespace murva
