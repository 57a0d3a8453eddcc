#include "windows/SettingsWindow.h"

#include "model/Model.h"
#include "settings/Language.h"
#include "style/ElidedLabel.h"
#include "style/LanguageSwitch.h"
#include "style/MurvaButton.h"
#include "style/Style.h"
#include "style/SwitchRow.h"
#include "style/TrayBox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace murva {
namespace {
constexpr int windowHeight = 400;

QString t(const char *key)
{
    return Language::text(QString::fromLatin1(key));
}

SwitchRow *switchRow(const QString &name)
{
    auto *row = new SwitchRow;
    row->setObjectName(name);
    return row;
}
} // namespace

SettingsState SettingsState::of(const Model &model)
{
    return SettingsState{model.autoRecord(), model.recordScreen(), model.openAtLogin(), model.language(),
                         model.accounts(), model.connecting()};
}

SettingsWindow::SettingsWindow(QWidget *parent)
    : QWidget(parent),
      heading_(Style::label(20, Style::Colors::ink, QFont::DemiBold)),
      recording_(new TrayBox),
      autoRecord_(switchRow(QStringLiteral("autoRecord"))),
      recordScreen_(switchRow(QStringLiteral("recordScreen"))),
      openAtLogin_(switchRow(QStringLiteral("openAtLogin"))),
      languageLabel_(Style::label(13, Style::Colors::ink, QFont::DemiBold)),
      language_(new LanguageSwitch),
      accountsBox_(new TrayBox),
      accountRows_(new QVBoxLayout),
      add_(new MurvaButton(MurvaButton::Kind::secondary, Style::Metrics::buttonHeight, true))
{
    setObjectName(QStringLiteral("settings"));
    Style::applyWindow(*this, Style::Metrics::windowWidth, windowHeight);
    QVBoxLayout *page = Style::scrollPage(*this, Style::Metrics::padding);
    Style::fitHeightToPage(*this, windowHeight);
    page->setSpacing(18);
    page->addWidget(heading_);

    recording_->setObjectName(QStringLiteral("settingsRecording"));
    recording_->content().addWidget(autoRecord_);
    recording_->content().addWidget(recordScreen_);
    recording_->content().addWidget(openAtLogin_);
    auto *languageRow = new QHBoxLayout;
    languageRow->addWidget(languageLabel_);
    languageRow->addStretch();
    languageRow->addWidget(language_);
    recording_->content().addLayout(languageRow);
    page->addWidget(recording_);

    accountsBox_->setObjectName(QStringLiteral("settingsAccounts"));
    accountRows_->setContentsMargins(0, 0, 0, 0);
    accountRows_->setSpacing(Style::Metrics::spacing);
    accountsBox_->content().addLayout(accountRows_);
    add_->setObjectName(QStringLiteral("addAccount"));
    accountsBox_->content().addWidget(add_, 0, Qt::AlignLeft);
    page->addWidget(accountsBox_);
    page->addStretch();

    connect(autoRecord_, &SwitchRow::toggled, this, &SettingsWindow::autoRecordChosen);
    connect(recordScreen_, &SwitchRow::toggled, this, &SettingsWindow::recordScreenChosen);
    connect(openAtLogin_, &SwitchRow::toggled, this, &SettingsWindow::openAtLoginChosen);
    connect(language_, &LanguageSwitch::chosen, this, &SettingsWindow::languageChosen);
    connect(add_, &MurvaButton::clicked, this, &SettingsWindow::addAccountClicked);
}

void SettingsWindow::show(const SettingsState &state)
{
    setWindowTitle(t("settingsTitle"));
    heading_->setText(t("settingsTitle"));
    recording_->setTitle(t("settingsRecording"));
    autoRecord_->setTexts(t("autoRecord"), t("autoRecordBody"));
    autoRecord_->setOn(state.autoRecord);
    recordScreen_->setTexts(t("recordScreen"), t("recordScreenBody"));
    recordScreen_->setOn(state.recordScreen);
    openAtLogin_->setTexts(t("openAtLogin"), t("openAtLoginBody"));
    openAtLogin_->setOn(state.openAtLogin);
    languageLabel_->setText(t("language"));
    language_->setCurrent(state.language);
    accountsBox_->setTitle(t("settingsAccounts"));
    showAccounts(state.accounts);
    add_->setText(t(state.connecting ? "addAccountWaiting" : "addAccount"));
    add_->setEnabled(!state.connecting);
}

void SettingsWindow::showAccounts(const QList<AccountConnection> &accounts)
{
    while (QLayoutItem *item = accountRows_->takeAt(0)) {
        // The row may be the sender of the click that led here: delete it later.
        if (QWidget *row = item->widget()) {
            row->hide();
            row->setParent(nullptr);
            row->deleteLater();
        }
        delete item;
    }
    for (const AccountConnection &account : accounts) {
        accountRows_->addWidget(accountRow(account));
    }
}

QWidget *SettingsWindow::accountRow(const AccountConnection &account)
{
    auto *row = new QWidget;
    row->setObjectName(QStringLiteral("account-") + account.id);
    auto *title = new ElidedLabel(14, Style::Colors::ink, QFont::DemiBold);
    title->setObjectName(QStringLiteral("title"));
    title->setText(account.me ? account.me->app : t("connectingAccount"));
    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(title);
    const std::optional<QString> who = account.me ? (account.me->you ? account.me->you : account.me->email) : std::nullopt;
    if (who) {
        auto *second = new ElidedLabel(12, Style::Colors::softInk);
        second->setObjectName(QStringLiteral("who"));
        second->setText(*who);
        texts->addWidget(second);
    }
    auto *disconnect = new MurvaButton(MurvaButton::Kind::secondary, Style::Metrics::buttonHeight, true);
    disconnect->setObjectName(QStringLiteral("disconnect"));
    disconnect->setText(t("disconnect"));
    const QString id = account.id;
    connect(disconnect, &MurvaButton::clicked, this, [this, id] { emit disconnectClicked(id); });
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(Style::Metrics::spacing);
    layout->addLayout(texts, 1);
    layout->addWidget(disconnect, 0, Qt::AlignVCenter);
    return row;
}

} // namespace murva
