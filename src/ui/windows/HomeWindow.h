#pragma once

#include "windows/HomeState.h"

#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace murva {

class AvatarCache;
class Chip;
class MurvaButton;
struct SectionHeader;

// The main window: header, status pill, the call now or next, recent recordings, coming
// meetings with the week, and the footer. Each part is shown on its own, so a clock tick
// redraws only the now card. Shows what it is told and reports the user's choices.
class HomeWindow : public QWidget {
    Q_OBJECT
public:
    explicit HomeWindow(AvatarCache *avatars, QWidget *parent = nullptr);

    void show(const HomeState &state);
    using QWidget::show;
    void showStatus(const HomeState &state);
    void showNow(const HomeState &state);
    void showRecent(const HomeState &state);
    void showComing(const HomeState &state);
    void showFooter(const HomeState &state);

signals:
    void recordNowClicked();
    void settingsClicked();
    void stopAndSaveClicked();
    void discardClicked();
    void joinClicked(const murva::NextMeeting &meeting);
    void openInMurvaClicked(const murva::NextMeeting &meeting);
    void skipChosen(const murva::NextMeeting &meeting, bool skipped);
    void retryClicked(const QString &recordingId);
    void openClicked(const QString &meetingId);
    void seeAllClicked();
    void openScheduleClicked();

private:
    QWidget *liveCall(const HomeState &state);
    QWidget *nextCall(const HomeState &state);
    QWidget *emptyState(const QString &name, const QString &titleKey, const QString &bodyKey);
    QWidget *unsavedRow(const Recording &recording, const HomeState &state);
    QWidget *recentRow(const Recording &recording, const HomeState &state);
    QWidget *meetingCard(const UpcomingMeeting &entry, const HomeState &state);
    QWidget *weekCard(const HomeState &state);

    AvatarCache *avatars_;
    MurvaButton *record_;
    MurvaButton *gear_;
    Chip *pill_;
    QVBoxLayout *now_;
    QLabel *when_ = nullptr; // the next call's countdown, redrawn on every tick
    QString nowKey_;         // what the now card shows apart from the countdown
    SectionHeader *recentHeader_;
    QVBoxLayout *recent_;
    SectionHeader *comingHeader_;
    QVBoxLayout *coming_;
    QLabel *version_;
    QWidget *notice_;
    QLabel *noticeTitle_;
    QLabel *noticeBody_;
};

} // namespace murva
