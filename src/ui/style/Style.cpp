#include "style/Style.h"

#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <QPalette>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

namespace murva::Style {

QFont font(int size, QFont::Weight weight)
{
    QFont font;
    font.setPixelSize(size);
    font.setWeight(weight);
    return font;
}

QLabel *label(int size, const QColor &color, QFont::Weight weight, bool wrap)
{
    auto *label = new QLabel;
    label->setFont(font(size, weight));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    label->setWordWrap(wrap);
    label->setTextFormat(Qt::PlainText);
    return label;
}

void applyWindow(QWidget &window, int width, int height)
{
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, Colors::eggshell);
    palette.setColor(QPalette::Base, Colors::eggshell);
    palette.setColor(QPalette::WindowText, Colors::ink);
    palette.setColor(QPalette::Text, Colors::ink);
    palette.setColor(QPalette::Button, Colors::plate);
    palette.setColor(QPalette::ButtonText, Colors::ink);
    palette.setColor(QPalette::ToolTipBase, Colors::eggshell);
    palette.setColor(QPalette::ToolTipText, Colors::ink);
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    window.setFont(font(13));
    window.setFixedSize(width, height);
}

QVBoxLayout *scrollPage(QWidget &window, int padding)
{
    auto *outer = new QVBoxLayout(&window);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("page"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *page = new QWidget;
    page->setAutoFillBackground(false);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->setSpacing(Metrics::spacing);
    scroll->setWidget(page);
    scroll->viewport()->setAutoFillBackground(false);
    outer->addWidget(scroll);
    return layout;
}

namespace {

// Follows the page's layout requests and sets the window's height from them.
class PageHeight : public QObject {
public:
    PageHeight(QWidget &window, QWidget &page, int minHeight)
        : QObject(&window), window_(window), page_(page), minHeight_(minHeight)
    {
        page.installEventFilter(this);
    }

    void fit()
    {
        QLayout *layout = page_.layout();
        const int width = window_.width();
        const int wanted = layout->hasHeightForWidth() ? layout->totalHeightForWidth(width)
                                                       : layout->totalSizeHint().height();
        int limit = wanted;
        if (const QScreen *screen = window_.screen()) {
            limit = screen->availableGeometry().height() - 2 * Metrics::padding;
        }
        const int height = std::max(minHeight_, std::min(wanted, limit));
        if (height != window_.height()) {
            window_.setFixedHeight(height);
        }
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &page_ && event->type() == QEvent::LayoutRequest) {
            fit();
        }
        return false;
    }

private:
    QWidget &window_;
    QWidget &page_;
    int minHeight_;
};

} // namespace

void fitHeightToPage(QWidget &window, int minHeight)
{
    auto *scroll = window.findChild<QScrollArea *>(QStringLiteral("page"));
    if (scroll == nullptr || scroll->widget() == nullptr || scroll->widget()->layout() == nullptr) {
        return;
    }
    auto *fitter = new PageHeight(window, *scroll->widget(), minHeight);
    fitter->fit();
}

QString css(const QColor &color)
{
    return color.name(QColor::HexRgb);
}

} // namespace murva::Style
