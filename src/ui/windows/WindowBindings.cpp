#include "windows/WindowBindings.h"

#include "model/Model.h"
#include "windows/HomeWindow.h"
#include "windows/SettingsWindow.h"
#include "windows/WelcomeWindow.h"

#include <QDesktopServices>

namespace murva {

void bind(WelcomeWindow &window, Model &model, std::function<void()> done)
{
    auto redraw = [&window, &model] { window.show(WelcomeState::of(model)); };
    for (auto signal : {&Model::accountsChanged, &Model::connectingChanged, &Model::permissionsChanged,
                        &Model::readyChanged, &Model::settingsChanged, &Model::iconHiddenChanged,
                        &Model::screenCheckChanged}) {
        QObject::connect(&model, signal, &window, redraw);
    }
    QObject::connect(&window, &WelcomeWindow::stepChosen, &model, [&model](StepAction action) {
        switch (action) {
        case StepAction::connect:
            model.connect();
            break;
        case StepAction::allowMicrophone:
            model.allowMicrophone();
            break;
        case StepAction::allowScreen:
            model.allowScreen();
            break;
        case StepAction::none:
            break;
        }
    });
    QObject::connect(&window, &WelcomeWindow::languageChosen, &model, &Model::setLanguage);
    QObject::connect(&window, &WelcomeWindow::doneClicked, &window, std::move(done));
    redraw();
}

void bind(SettingsWindow &window, Model &model)
{
    auto redraw = [&window, &model] { window.show(SettingsState::of(model)); };
    for (auto signal : {&Model::accountsChanged, &Model::connectingChanged, &Model::settingsChanged,
                        &Model::openAtLoginChanged}) {
        QObject::connect(&model, signal, &window, redraw);
    }
    QObject::connect(&window, &SettingsWindow::autoRecordChosen, &model, &Model::setAutoRecord);
    QObject::connect(&window, &SettingsWindow::recordScreenChosen, &model, &Model::setRecordScreen);
    QObject::connect(&window, &SettingsWindow::openAtLoginChosen, &model, &Model::setOpenAtLogin);
    QObject::connect(&window, &SettingsWindow::languageChosen, &model, &Model::setLanguage);
    QObject::connect(&window, &SettingsWindow::disconnectClicked, &model, [&model](const QString &id) { model.disconnect(id); });
    QObject::connect(&window, &SettingsWindow::addAccountClicked, &model, [&model] { model.connect(); });
    redraw();
}

void bind(HomeWindow &window, Model &model, std::function<void()> openSettings)
{
    auto part = [&window, &model](void (HomeWindow::*show)(const HomeState &)) {
        return [&window, &model, show] { (window.*show)(HomeState::of(model)); };
    };
    QObject::connect(&model, &Model::settingsChanged, &window, part(&HomeWindow::show));
    QObject::connect(&model, &Model::phaseChanged, &window, part(&HomeWindow::showStatus));
    QObject::connect(&model, &Model::phaseChanged, &window, part(&HomeWindow::showNow));
    for (auto signal : {&Model::nowChanged, &Model::nextChanged, &Model::skippedChanged}) {
        QObject::connect(&model, signal, &window, part(&HomeWindow::showNow));
    }
    for (auto signal : {&Model::recordingsChanged, &Model::notesChanged}) {
        QObject::connect(&model, signal, &window, part(&HomeWindow::showRecent));
    }
    for (auto signal : {&Model::recordingsChanged, &Model::upcomingChanged}) {
        QObject::connect(&model, signal, &window, part(&HomeWindow::showComing));
    }
    QObject::connect(&model, &Model::iconHiddenChanged, &window, part(&HomeWindow::showFooter));

    QObject::connect(&window, &HomeWindow::recordNowClicked, &model, &Model::recordNow);
    QObject::connect(&window, &HomeWindow::settingsClicked, &window, std::move(openSettings));
    QObject::connect(&window, &HomeWindow::stopAndSaveClicked, &model,
                     [&model] { model.stopAndSave(QStringLiteral("Stop and save")); });
    QObject::connect(&window, &HomeWindow::discardClicked, &model, &Model::discard);
    QObject::connect(&window, &HomeWindow::joinClicked, &model, [&model](const NextMeeting &meeting) {
        if (!meeting.link) {
            model.openInMurva(meeting);
            return;
        }
        model.setJoined(*meeting.link);
        QDesktopServices::openUrl(*meeting.link);
    });
    QObject::connect(&window, &HomeWindow::openInMurvaClicked, &model, &Model::openInMurva);
    QObject::connect(&window, &HomeWindow::skipChosen, &model, &Model::setSkipped);
    QObject::connect(&window, &HomeWindow::retryClicked, &model, &Model::retry);
    QObject::connect(&window, &HomeWindow::openClicked, &model, &Model::open);
    QObject::connect(&window, &HomeWindow::seeAllClicked, &model, &Model::openMeetings);
    QObject::connect(&window, &HomeWindow::openScheduleClicked, &model, &Model::openSchedule);
    window.show(HomeState::of(model));
}

} // namespace murva
