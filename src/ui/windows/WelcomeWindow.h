#pragma once

#include "windows/WelcomeSteps.h"

#include <QWidget>

#include <array>

class QLabel;

namespace murva {

class LanguageSwitch;
class MurvaButton;
class StepMark;

// The onboarding checklist: wordmark and language, heading, the three steps, the private
// note, "done" and, while the tray icon cannot be seen, a warning. Shows what it is told
// and reports the user's choices.
class WelcomeWindow : public QWidget {
    Q_OBJECT
public:
    explicit WelcomeWindow(QWidget *parent = nullptr);

    void show(const WelcomeState &state);
    using QWidget::show;

signals:
    void stepChosen(murva::StepAction action);
    void languageChosen(const QString &code);
    void doneClicked();

private:
    struct StepWidgets {
        StepMark *mark = nullptr;
        QLabel *title = nullptr;
        QLabel *detail = nullptr;
        MurvaButton *button = nullptr;
        StepAction action = StepAction::none;
    };

    QWidget *buildStep(int number);
    void showStep(StepWidgets &widgets, const StepRow &row);

    LanguageSwitch *language_;
    QLabel *title_;
    QLabel *body_;
    std::array<StepWidgets, 3> steps_;
    QLabel *note_;
    QWidget *warning_;
    QLabel *warningTitle_;
    QLabel *warningBody_;
    MurvaButton *done_;
};

} // namespace murva
