#pragma once

#include "accounts/SavedAccounts.h"

#include <QList>
#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace murva {

class LanguageSwitch;
class Model;
class MurvaButton;
class SwitchRow;
class TrayBox;

// What the settings window shows, read from the model.
struct SettingsState {
    bool autoRecord = false;
    bool recordScreen = false;
    bool openAtLogin = false;
    QString language;
    QList<AccountConnection> accounts;
    bool connecting = false;

    static SettingsState of(const Model &model);
};

// How recording starts, screen recording, open at login, the language, and the
// connected accounts. Shows what it is told and reports the user's choices.
class SettingsWindow : public QWidget {
    Q_OBJECT
public:
    explicit SettingsWindow(QWidget *parent = nullptr);

    void show(const SettingsState &state);
    using QWidget::show;

signals:
    void autoRecordChosen(bool on);
    void recordScreenChosen(bool on);
    void openAtLoginChosen(bool on);
    void languageChosen(const QString &code);
    void disconnectClicked(const QString &accountId);
    void addAccountClicked();

private:
    void showAccounts(const QList<AccountConnection> &accounts);
    QWidget *accountRow(const AccountConnection &account);

    QLabel *heading_;
    TrayBox *recording_;
    SwitchRow *autoRecord_;
    SwitchRow *recordScreen_;
    SwitchRow *openAtLogin_;
    QLabel *languageLabel_;
    LanguageSwitch *language_;
    TrayBox *accountsBox_;
    QVBoxLayout *accountRows_;
    MurvaButton *add_;
};

} // namespace murva
