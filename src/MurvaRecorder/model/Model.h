#pragma once

#include "model/ModelParts.h"
#include "model/ModelPhase.h"

#include "accounts/SavedAccounts.h"
#include "meetings/MeetingNotes.h"
#include "meetings/NextMeeting.h"
#include "meetings/UpcomingMeeting.h"
#include "recordings/Recording.h"

#include <QCoroTask>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace murva {

using AccountList = QList<AccountConnection>;
using RecordingList = std::vector<Recording>;
using OptionalMeeting = std::optional<NextMeeting>;
using OptionalUpcoming = std::optional<std::vector<UpcomingMeeting>>;
using NotesByMeeting = QHash<QString, MeetingNotes>;
using OptionalMe = std::optional<Me>;
using OptionalText = std::optional<QString>;

// The recording flow: turns call events into a visible phase, starts and stops the
// capture, keeps the stored records up to date, saves recordings, mirrors the accounts
// and the service's meetings, and runs a one-second clock for periodic work.
//
// Lives on the main thread for the whole run. Every asynchronous piece of work is a task
// that resumes there and checks that the model still exists after each wait.
class Model : public QObject {
    Q_OBJECT
    Q_PROPERTY(murva::ModelPhase phase READ phase NOTIFY phaseChanged)
    Q_PROPERTY(bool signedIn READ signedIn NOTIFY accountsChanged)
    Q_PROPERTY(bool connecting READ connecting NOTIFY connectingChanged)
    Q_PROPERTY(murva::AccountList accounts READ accounts NOTIFY accountsChanged)
    Q_PROPERTY(murva::OptionalText activeId READ activeId NOTIFY accountsChanged)
    Q_PROPERTY(murva::OptionalMe me READ me NOTIFY accountsChanged)
    Q_PROPERTY(murva::RecordingList recordings READ recordings NOTIFY recordingsChanged)
    Q_PROPERTY(murva::RecordingList unsaved READ unsaved NOTIFY recordingsChanged)
    Q_PROPERTY(murva::RecordingList recent READ recent NOTIFY recordingsChanged)
    Q_PROPERTY(bool micAllowed READ micAllowed NOTIFY permissionsChanged)
    Q_PROPERTY(bool screenAllowed READ screenAllowed NOTIFY permissionsChanged)
    Q_PROPERTY(bool ready READ ready NOTIFY readyChanged)
    Q_PROPERTY(QDateTime now READ nowDate NOTIFY nowChanged)
    Q_PROPERTY(bool autoRecord READ autoRecord WRITE setAutoRecord NOTIFY settingsChanged)
    Q_PROPERTY(bool recordScreen READ recordScreen WRITE setRecordScreen NOTIFY settingsChanged)
    Q_PROPERTY(QString language READ language WRITE setLanguage NOTIFY settingsChanged)
    Q_PROPERTY(bool iconHidden READ iconHidden NOTIFY iconHiddenChanged)
    Q_PROPERTY(murva::OptionalMeeting next READ next NOTIFY nextChanged)
    Q_PROPERTY(murva::OptionalUpcoming upcoming READ upcoming NOTIFY upcomingChanged)
    Q_PROPERTY(murva::NotesByMeeting notes READ notes NOTIFY notesChanged)
    Q_PROPERTY(QSet<QString> skipped READ skipped NOTIFY skippedChanged)
    Q_PROPERTY(bool screenChecked READ screenChecked NOTIFY screenCheckChanged)
    Q_PROPERTY(bool checkingScreen READ checkingScreen NOTIFY screenCheckChanged)
    Q_PROPERTY(bool screenAsked READ screenAsked NOTIFY screenCheckChanged)
    Q_PROPERTY(bool openAtLogin READ openAtLogin WRITE setOpenAtLogin NOTIFY openAtLoginChanged)

public:
    using Phase = ModelPhase;

    // A recording shorter than this is taken for a microphone test and deleted.
    static constexpr double minimumRecordingSec = 10.0;
    static constexpr double savedShownSec = 5;
    static constexpr double longestRecordingSec = 28800; // 8 hours
    static constexpr double joinedLinkSec = 600;
    static constexpr double clockIntervalSec = 1.0;
    static constexpr int followEveryTicks = 3;

    explicit Model(ModelParts parts, QObject *parent = nullptr);
    ~Model() override;

    // Opens the flow at start-up: permissions, recordings, open at login on the first
    // run, the call watcher, the clock, then accounts, screen check and leftovers.
    void launch();

    // ---- published state
    const Phase &phase() const { return phase_; }
    bool signedIn() const { return signedIn_; }
    bool connecting() const { return connecting_; }
    const AccountList &accounts() const { return accounts_; }
    const OptionalText &activeId() const { return activeId_; }
    OptionalMe me() const;
    const RecordingList &recordings() const { return recordings_; }
    RecordingList unsaved() const;
    RecordingList recent() const;
    bool micAllowed() const { return micAllowed_; }
    bool screenAllowed() const { return screenAllowed_; }
    bool ready() const { return signedIn_ && micAllowed_ && screenAllowed_ && screenChecked_; }
    SystemTime now() const { return now_; }
    QDateTime nowDate() const { return toQDateTime(now_); }
    bool autoRecord() const { return autoRecord_; }
    bool recordScreen() const { return recordScreen_; }
    const QString &language() const { return language_; }
    bool iconHidden() const { return iconHidden_; }
    const OptionalMeeting &next() const { return next_; }
    const OptionalUpcoming &upcoming() const { return upcoming_; }
    const NotesByMeeting &notes() const { return notes_; }
    const QSet<QString> &skipped() const { return skipped_; }
    bool screenChecked() const { return screenChecked_; }
    bool checkingScreen() const { return checkingScreen_; }
    bool screenAsked() const { return screenAsked_; }
    bool openAtLogin() const;

    void setAutoRecord(bool on);
    void setRecordScreen(bool on);
    void setLanguage(const QString &code);
    void setOpenAtLogin(bool on);
    // Starts the program again a moment after this process has quit, then quits, so
    // that a permission granted meanwhile applies.
    void relaunch();

    // Whether a recording is under way, and its record.
    bool isRecording() const { return capture_ != nullptr; }
    const std::optional<Recording> &currentRecording() const { return recording_; }
    int ticks() const { return ticks_; }
    RecordingStore &store() { return *parts_.store; }
    CallWatcher &watcher() { return *parts_.watcher; }

    // ---- callbacks set by the application
    std::function<void()> onShowWelcome;
    std::function<void()> onShowSettings;
    std::function<void()> onShowHome;
    std::function<void(const Phase &)> onPhase;
    std::function<void(bool)> onIconHidden;
    // Asks the application to quit through its normal quit path.
    std::function<void()> onQuit;

    // ---- calls and recording
    void handle(const CallEvent &event);
    void start(const Call &call);
    void recordNow();
    void notNow();
    void preview(const QString &name);
    void tickClock();

    // ---- stopping and saving
    void stopAndSave(const QString &reason);
    void discard();
    QCoro::Task<> save(const Recording &recording);
    void retry(const QString &id);
    QCoro::Task<> finishForQuit();

    // ---- permissions
    void refreshPermissions();
    void allowMicrophone();
    void allowScreen();
    QCoro::Task<> checkScreen();

    // ---- accounts and meetings
    void connect();
    void switchTo(const QString &id);
    void disconnect(const QString &id);
    QCoro::Task<> refreshNext();
    QCoro::Task<> refreshUpcoming();
    QCoro::Task<> refreshTitles();
    void refreshHome();
    void previewUpcoming();
    void setSkipped(const NextMeeting &meeting, bool skipped);
    // The link opened from the app to join the next meeting, remembered for a while.
    void setJoined(const QUrl &url);

    void openMeetings();
    void openInMurva(const NextMeeting &meeting);
    void openSchedule();
    void open(const QString &meetingId);

    // The impromptu title or the next meeting's, for a call seen at `at` with `url`.
    QString titleFor(SystemTime at, const std::optional<QUrl> &url) const;
    // The call's link, else the link opened from the app less than 600 s ago.
    std::optional<QUrl> effectiveLink(const Call &call) const;

signals:
    void phaseChanged(const murva::ModelPhase &phase);
    void accountsChanged();
    void connectingChanged();
    void recordingsChanged();
    void permissionsChanged();
    void readyChanged();
    void nowChanged();
    void settingsChanged();
    void iconHiddenChanged();
    void nextChanged();
    void upcomingChanged();
    void notesChanged();
    void skippedChanged();
    void screenCheckChanged();
    void openAtLoginChanged();

private:
    struct Joined {
        QUrl url;
        SystemTime at;
    };

    // Phase changes; the progress of a save alone does not tell `onPhase`.
    void setPhase(const Phase &phase);
    // The outcome of a stop or a save; never hides a recording under way.
    void setOutcomePhase(const Phase &phase);
    void setProgress(double progress);
    void setSignedInState(const AccountList &accounts, const OptionalText &activeId);
    void setNext(const OptionalMeeting &next);
    void setPermissions(bool mic, bool screen);
    void setScreenChecked(bool checked);
    void reloadRecordings();
    void notifyReadyIfChanged(bool wasReady);

    bool skippedNow(const Call &call) const;
    void askUnlessMurva(const Call &call);
    QCoro::Task<> askAfterTabs(const Call &call, const QSet<QString> &hosts);
    QCoro::Task<> recordFoundPage();
    QCoro::Task<> beginCapture(const std::shared_ptr<RecordingCapture> &capture, const Call &call, const QString &id);
    void failStart(const QString &id, bool fromScreen);
    QCoro::Task<> follow(const Call &call, const std::shared_ptr<RecordingCapture> &capture);
    void checkIcon();

    QCoro::Task<> endAndSave(const std::shared_ptr<RecordingCapture> &capture, const Recording &recording);
    QCoro::Task<> endAndDelete(const std::shared_ptr<RecordingCapture> &capture, const QString &id);
    void showSaved(const QString &meetingId, double seconds);
    std::optional<QString> saveAccount(const Recording &recording) const;
    QCoro::Task<> saveLeftovers();
    // How long the recording's file really is; 0 when it cannot be read.
    QCoro::Task<double> fileDurationSec(const QString &id) const;
    void clearRunning();

    void reloadAccounts();
    QCoro::Task<> fetchMe(const QString &id);
    QCoro::Task<> launchTask();
    QCoro::Task<> connectTask(int attempt);
    QCoro::Task<> switchTask(const QString &id);
    QCoro::Task<> disconnectTask(const QString &id);
    QCoro::Task<> refreshHomeTask();
    QCoro::Task<> refreshTitlesOf(const std::optional<QString> &account, const RecordingList &group);
    const Me *meOf(const std::optional<QString> &account) const;
    void openUrl(const std::optional<QUrl> &url);

    ModelParts parts_;

    Phase phase_;
    bool signedIn_ = false;
    bool connecting_ = false;
    AccountList accounts_;
    OptionalText activeId_;
    RecordingList recordings_;
    bool micAllowed_ = false;
    bool screenAllowed_ = false;
    SystemTime now_{};
    bool autoRecord_ = false;
    bool recordScreen_ = false;
    QString language_;
    bool iconHidden_ = false;
    OptionalMeeting next_;
    OptionalUpcoming upcoming_;
    NotesByMeeting notes_;
    QSet<QString> skipped_;
    bool screenChecked_ = false;
    bool checkingScreen_ = false;
    bool screenAsked_ = false;

    std::shared_ptr<RecordingCapture> capture_;
    std::optional<Recording> recording_;
    std::optional<Call> recordingCall_;
    std::unique_ptr<ClockAlarm> clockTimer_;
    std::unique_ptr<ClockAlarm> hideSaved_;
    int ticks_ = 0;
    int connectRun_ = 0;
    std::optional<Joined> joined_;
    // Records being ended or saved right now, which the leftovers must not touch.
    QSet<QString> busyIds_;
};

// For the log: "started(zoom, link none, sure, owner app(zoom))", "ended".
QString describe(const CallEvent &event);
QString describe(const AudioOwner &owner);

} // namespace murva
