#include "windows/WelcomeWindow.h"

#include "settings/Language.h"
#include "style/LanguageSwitch.h"
#include "style/MurvaButton.h"
#include "style/StepMark.h"
#include "style/Style.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace murva {
namespace {
constexpr int windowHeight = 420;

QLabel *wordmark()
{
    QLabel *mark = Style::label(17, Style::Colors::ink, QFont::Bold);
    mark->setText(QStringLiteral("Murva"));
    return mark;
}
} // namespace

WelcomeWindow::WelcomeWindow(QWidget *parent)
    : QWidget(parent),
      language_(new LanguageSwitch),
      title_(Style::label(22, Style::Colors::ink, QFont::DemiBold, true)),
      body_(Style::label(13, Style::Colors::softInk, QFont::Normal, true)),
      note_(Style::label(12, Style::Colors::softInk, QFont::Normal, true)),
      warning_(new QWidget),
      warningTitle_(Style::label(14, Style::Colors::warning, QFont::DemiBold, true)),
      warningBody_(Style::label(12, Style::Colors::softInk, QFont::Normal, true)),
      done_(new MurvaButton(MurvaButton::Kind::primary, 30, true))
{
    setObjectName(QStringLiteral("welcome"));
    setWindowTitle(QStringLiteral("Murva"));
    Style::applyWindow(*this, Style::Metrics::windowWidth, windowHeight);
    QVBoxLayout *page = Style::scrollPage(*this, 24);
    Style::fitHeightToPage(*this, windowHeight);

    auto *top = new QHBoxLayout;
    top->addWidget(wordmark());
    top->addStretch();
    top->addWidget(language_);
    page->addLayout(top);

    title_->setObjectName(QStringLiteral("welcomeTitle"));
    body_->setObjectName(QStringLiteral("welcomeBody"));
    auto *heading = new QVBoxLayout;
    heading->setSpacing(4);
    heading->addWidget(title_);
    heading->addWidget(body_);
    page->addLayout(heading);
    for (int number = 1; number <= 3; ++number) {
        page->addWidget(buildStep(number));
    }

    note_->setObjectName(QStringLiteral("privateNote"));
    page->addWidget(note_);
    warning_->setObjectName(QStringLiteral("iconHidden"));
    auto *warningLayout = new QVBoxLayout(warning_);
    warningLayout->setContentsMargins(0, 0, 0, 0);
    warningLayout->setSpacing(2);
    warningLayout->addWidget(warningTitle_);
    warningLayout->addWidget(warningBody_);
    page->addWidget(warning_);
    page->addStretch();
    done_->setObjectName(QStringLiteral("done"));
    page->addWidget(done_, 0, Qt::AlignRight);

    connect(language_, &LanguageSwitch::chosen, this, &WelcomeWindow::languageChosen);
    connect(done_, &MurvaButton::clicked, this, &WelcomeWindow::doneClicked);
}

QWidget *WelcomeWindow::buildStep(int number)
{
    StepWidgets &widgets = steps_[number - 1];
    auto *row = new QWidget;
    row->setObjectName(QStringLiteral("step%1").arg(number));
    widgets.mark = new StepMark(number);
    widgets.mark->setObjectName(QStringLiteral("mark"));
    widgets.title = Style::label(14, Style::Colors::ink, QFont::DemiBold, true);
    widgets.title->setObjectName(QStringLiteral("title"));
    widgets.detail = Style::label(12, Style::Colors::softInk, QFont::Normal, true);
    widgets.detail->setObjectName(QStringLiteral("detail"));
    widgets.button = new MurvaButton(MurvaButton::Kind::secondary, Style::Metrics::buttonHeight, true);
    widgets.button->setObjectName(QStringLiteral("button"));

    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(widgets.title);
    texts->addWidget(widgets.detail);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 4, 0, 4);
    layout->setSpacing(Style::Metrics::spacing);
    layout->addWidget(widgets.mark, 0, Qt::AlignTop);
    layout->addLayout(texts, 1);
    layout->addWidget(widgets.button, 0, Qt::AlignVCenter);
    connect(widgets.button, &MurvaButton::clicked, this, [this, &widgets] { emit stepChosen(widgets.action); });
    return row;
}

void WelcomeWindow::showStep(StepWidgets &widgets, const StepRow &row)
{
    widgets.mark->set(row.done, row.next);
    widgets.title->setText(row.title);
    widgets.detail->setText(row.detail.value_or(QString()));
    widgets.detail->setVisible(row.detail.has_value());
    widgets.action = row.action;
    widgets.button->setVisible(row.button.has_value() && !row.done);
    widgets.button->setText(row.button.value_or(QString()));
    widgets.button->setEnabled(row.next);
    widgets.button->setKind(row.next ? MurvaButton::Kind::primary : MurvaButton::Kind::secondary);
}

void WelcomeWindow::show(const WelcomeState &state)
{
    language_->setCurrent(state.language);
    title_->setText(Language::text(state.ready ? QStringLiteral("allSetTitle") : QStringLiteral("welcomeTitle")));
    body_->setText(Language::text(state.ready ? QStringLiteral("allSet") : QStringLiteral("welcomeBody")));
    const std::array<StepRow, 3> rows = welcomeSteps(state);
    for (size_t index = 0; index < rows.size(); ++index) {
        showStep(steps_[index], rows[index]);
    }
    note_->setText(Language::text(QStringLiteral("privateNote")));
    warning_->setVisible(state.iconHidden);
    warningTitle_->setText(Language::text(QStringLiteral("iconHiddenTitle")));
    warningBody_->setText(Language::text(QStringLiteral("iconHiddenBody")));
    done_->setText(Language::text(QStringLiteral("done")));
}

} // namespace murva
