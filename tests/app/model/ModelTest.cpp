#include "ModelFakes.h"

#include "support/AwaitTask.h"
#include "support/Files.h"
#include "screen/ScreenAccess.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QFile>

#include <gtest/gtest.h>

namespace murva::test {
namespace {

const Call zoomCall{CallApp::zoom, std::nullopt, true, AudioOwner::app(CallApp::zoom)};

class ModelTest : public ::testing::Test, protected ModelRig {
protected:
    void SetUp() override
    {
        QFile::remove(Settings::standardFilePath());
        Settings settings;
        settings.setScreenChecked(true);
        settings.setAutoRecord(true);
        settings.setLoginItemSet(true);
        screen->shown->displays = {ShareableDisplay{1, QRectF(0, 0, 1920, 1080), true}};
        screen->shown->windows = {window(7, QRectF(0, 0, 1280, 720))};
        screenAccess = std::make_shared<ScreenAccess>(screen);
        accounts->list = {FakeAccounts::account(QStringLiteral("A"))};
        accounts->active = QStringLiteral("A");
    }

    Model &launch()
    {
        model = std::make_unique<Model>(parts());
        model->onPhase = [this](const ModelPhase &phase) {
            shown.push_back(phase);
            signedInWhenShown.push_back(model->signedIn());
        };
        model->onShowWelcome = [this] { ++welcomes; };
        model->launch();
        return *model;
    }

    // Records a call of `durationSec` from start to the end of its save.
    QString recordCall(double durationSec)
    {
        nextResult.durationSec = durationSec;
        model->handle(CallEvent::started(zoomCall));
        EXPECT_TRUE(model->isRecording());
        if (!model->isRecording()) {
            return {};
        }
        const QString id = model->currentRecording()->id;
        clock->advance(durationSec);
        model->handle(CallEvent::ended());
        return id;
    }

    // A record of a call `minutes` after the clock's start, for the test to store.
    Recording stored(const QString &id, Recording::Status status, int minutes = 0) const
    {
        Recording record(id, QStringLiteral("Call"), CallApp::zoom, clock->now() + std::chrono::minutes(minutes));
        record.status = status;
        return record;
    }

    std::shared_ptr<FakeScreen> screen = std::make_shared<FakeScreen>();
    std::vector<ModelPhase> shown;
    std::vector<bool> signedInWhenShown;
    int welcomes = 0;
};

TEST_F(ModelTest, ACallIsRecordedSavedAndClearedAfterFiveSeconds)
{
    launch();
    ASSERT_TRUE(model->ready());
    EXPECT_EQ(welcomes, 0);

    model->handle(CallEvent::started(zoomCall));
    ASSERT_TRUE(model->isRecording());
    EXPECT_TRUE(model->phase().is(ModelPhase::Kind::recording));
    EXPECT_EQ(model->phase().since(), clock->now());
    ASSERT_EQ(captures.size(), 1u);
    EXPECT_EQ(captures[0]->aimed, (Aimed{Aimed::Kind::window, 7}));
    const QString id = model->currentRecording()->id;
    const std::optional<Recording> stored = store->get(id);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->status, Recording::Status::recording);
    EXPECT_EQ(stored->connectionId, QStringLiteral("A"));
    EXPECT_EQ(captures[0]->path, store->videoPath(id));

    // Events of the same call never start a second recording.
    model->handle(CallEvent::started(zoomCall));
    EXPECT_EQ(captures.size(), 1u);

    clock->advance(42);
    model->handle(CallEvent::ended());
    EXPECT_FALSE(model->isRecording());
    ASSERT_EQ(service->saves.size(), 1u);
    EXPECT_EQ(service->saves[0].account, QStringLiteral("A"));
    EXPECT_EQ(service->saves[0].recording.status, Recording::Status::failed);
    EXPECT_EQ(service->saves[0].recording.durationSec, 42);
    EXPECT_EQ(model->phase(), ModelPhase::saved(QStringLiteral("meeting-1"), 42));
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [](const ModelPhase &phase) { return phase == ModelPhase::saving(0); }));

    // A second `saved` within the five seconds starts the delay again.
    clock->advance(3);
    recordCall(20);
    EXPECT_EQ(model->phase(), ModelPhase::saved(QStringLiteral("meeting-2"), 20));
    clock->advance(4.9);
    EXPECT_TRUE(model->phase().is(ModelPhase::Kind::saved));
    clock->advance(0.1);
    EXPECT_EQ(model->phase(), ModelPhase::idle());
    EXPECT_EQ(shown.back(), ModelPhase::idle());
}

TEST_F(ModelTest, RecordingsUnderTenSecondsAreDroppedAsMicrophoneTests)
{
    launch();
    const QString shortId = recordCall(9.99);
    EXPECT_FALSE(store->get(shortId));
    EXPECT_FALSE(QFile::exists(store->videoPath(shortId)));
    EXPECT_TRUE(service->saves.empty());
    EXPECT_EQ(model->phase(), ModelPhase::idle());

    recordCall(10.0);
    ASSERT_EQ(service->saves.size(), 1u);
    EXPECT_EQ(service->saves[0].recording.durationSec, 10.0);
}

TEST_F(ModelTest, ANewCallIsRecordedWhileTheLastOneIsStillEnding)
{
    launch();
    auto ending = std::make_shared<Gate>();
    nextEndGate = ending;
    model->handle(CallEvent::started(zoomCall));
    clock->advance(30);
    model->handle(CallEvent::ended());
    EXPECT_EQ(model->phase(), ModelPhase::saving(0));
    model->stopAndSave(QStringLiteral("Stop and save")); // a second stop does nothing
    EXPECT_EQ(captures[0]->ends, 1);

    nextEndGate.reset();
    model->handle(CallEvent::started(zoomCall));
    ASSERT_TRUE(model->isRecording());
    const QString runningId = model->currentRecording()->id;

    // A late report from the ended capture must not stop the new recording.
    captures[0]->onBroken();
    QCoreApplication::processEvents();
    EXPECT_TRUE(model->isRecording());

    // The first one is saved meanwhile; the running recording stays on show.
    ending->open();
    ASSERT_EQ(service->saves.size(), 1u);
    EXPECT_NE(service->saves[0].recording.id, runningId);
    EXPECT_TRUE(model->phase().is(ModelPhase::Kind::recording));
    EXPECT_EQ(model->currentRecording()->id, runningId);

    // The running capture itself breaking stops and saves it.
    captures[1]->onBroken();
    QCoreApplication::processEvents();
    EXPECT_FALSE(model->isRecording());
    EXPECT_EQ(service->saves.size(), 2u);
}

TEST_F(ModelTest, OpenAtLoginIsRegisteredOnlyOnTheFirstRun)
{
    Settings().setLoginItemSet(false);
    launch();
    EXPECT_EQ(autostart->registrations, 1);
    model->setOpenAtLogin(false); // the user's choice
    model.reset();
    launch();
    EXPECT_EQ(autostart->registrations, 1);
    EXPECT_FALSE(model->openAtLogin());
}

TEST_F(ModelTest, OnlyTheLatestSignInAttemptEndsConnecting)
{
    launch();
    auto first = std::make_shared<Gate>();
    auto second = std::make_shared<Gate>();
    accounts->connectGates = {first, second};
    accounts->nextConnect = QStringLiteral("B");
    model->connect();
    model->connect();
    EXPECT_TRUE(model->connecting());
    first->open();
    EXPECT_TRUE(model->connecting()); // the newer attempt still runs
    ASSERT_EQ(model->activeId(), QStringLiteral("B"));
    ASSERT_TRUE(model->me());
    EXPECT_EQ(model->me()->app, QStringLiteral("Murva B")); // asked of the service
    accounts->nextConnect.reset(); // the newer browser sign-in fails
    second->open();
    EXPECT_FALSE(model->connecting());
    EXPECT_EQ(model->accounts().size(), 2);
}

TEST_F(ModelTest, UploadProgressUpdatesThePhaseWithoutTellingTheBar)
{
    launch();
    service->saveGate = std::make_shared<Gate>();
    recordCall(30);
    const size_t told = shown.size();
    QCoreApplication::processEvents(); // the progress hops to the main thread
    EXPECT_EQ(model->phase(), ModelPhase::saving(0.3));
    EXPECT_EQ(shown.size(), told);
    service->saveGate->open();
    EXPECT_TRUE(model->phase().is(ModelPhase::Kind::saved));
}

TEST_F(ModelTest, AFailedSaveKeepsTheRecordingUntilARetrySavesIt)
{
    launch();
    service->outcomes.push_back(Saver::Outcome::failed(SaveError::offline));
    const QString id = recordCall(30);
    EXPECT_EQ(model->phase(), ModelPhase::failed(id, SaveError::offline));
    EXPECT_TRUE(QFile::exists(store->videoPath(id)));
    ASSERT_EQ(model->unsaved().size(), 1u);
    EXPECT_EQ(model->unsaved()[0].id, id);

    // A call that ends while the failure is shown leaves it on show.
    model->handle(CallEvent::ended());
    EXPECT_EQ(model->phase(), ModelPhase::failed(id, SaveError::offline));

    model->retry(QStringLiteral("no-such-recording"));
    EXPECT_EQ(service->saves.size(), 1u);
    model->retry(id);
    ASSERT_EQ(service->saves.size(), 2u);
    EXPECT_EQ(service->saves[1].recording.id, id);
    EXPECT_EQ(model->phase(), ModelPhase::saved(QStringLiteral("meeting-2"), 30));
}

TEST_F(ModelTest, ASignInFailureIsShownOnlyOnceTheAccountsAreReloaded)
{
    launch();
    service->outcomes.push_back(Saver::Outcome::failed(SaveError::signIn));
    accounts->list.clear(); // the saver's refused token removed the account
    accounts->active.reset();
    const QString id = recordCall(30);
    EXPECT_EQ(model->phase(), ModelPhase::failed(id, SaveError::signIn));
    ASSERT_FALSE(signedInWhenShown.empty());
    EXPECT_FALSE(signedInWhenShown.back());
}

TEST_F(ModelTest, ARecordingOfARemovedAccountIsNeverSentWithAnotherAccount)
{
    Recording orphan = stored(QStringLiteral("ORPHAN"), Recording::Status::failed);
    orphan.durationSec = 30;
    orphan.connectionId = QStringLiteral("removed");
    store->put(orphan);
    launch();
    ASSERT_EQ(service->saves.size(), 1u);
    EXPECT_EQ(service->saves[0].account, QStringLiteral("gone"));
}

TEST_F(ModelTest, QuittingKeepsALongRecordingForTheNextLaunch)
{
    launch();
    nextResult.durationSec = 5;
    model->handle(CallEvent::started(zoomCall));
    const QString shortId = model->currentRecording()->id;
    await([&] { return model->finishForQuit(); });
    EXPECT_FALSE(store->get(shortId));

    nextResult.durationSec = 10; // the shortest kept
    model->handle(CallEvent::started(zoomCall));
    const QString longId = model->currentRecording()->id;
    const ModelPhase before = model->phase();
    await([&] { return model->finishForQuit(); });
    EXPECT_FALSE(model->isRecording());
    EXPECT_EQ(model->phase(), before);
    const std::optional<Recording> kept = store->get(longId);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->status, Recording::Status::failed);
    EXPECT_EQ(kept->durationSec, 10);
    EXPECT_TRUE(service->saves.empty());

    // The next launch, signed in, saves it.
    model.reset();
    launch();
    ASSERT_EQ(service->saves.size(), 1u);
    EXPECT_EQ(service->saves[0].recording.id, longId);
    EXPECT_EQ(service->saves[0].recording.durationSec, 10);
}

TEST_F(ModelTest, LeftoversAreSavedAtLaunchByWhatTheirFilesHold)
{
    auto leftover = [&](const QString &id, Recording::Status status) {
        Recording record = stored(id, status);
        record.durationSec = status == Recording::Status::recording ? 0 : 25;
        store->put(record);
        writeFile(store->videoPath(id), "x");
    };
    leftover(QStringLiteral("CRASHED-30"), Recording::Status::recording);
    leftover(QStringLiteral("CRASHED-4"), Recording::Status::recording);
    leftover(QStringLiteral("CRASHED-UNREADABLE"), Recording::Status::recording);
    leftover(QStringLiteral("FAILED"), Recording::Status::failed);
    leftover(QStringLiteral("SAVED"), Recording::Status::saved);
    inspector->durations[store->videoPath(QStringLiteral("CRASHED-30"))] = 30;
    inspector->durations[store->videoPath(QStringLiteral("CRASHED-4"))] = 4;
    service->outcomes = {Saver::Outcome::saved(QStringLiteral("m1"), std::nullopt),
                         Saver::Outcome::failed(SaveError::noCredits)};

    // The files are read on a worker thread while this one runs its event loop: launching
    // comes back with the reading held, and the saves follow here.
    std::promise<void> release;
    inspector->hold = release.get_future().share();
    launch();
    release.set_value();
    while (service->saves.size() < 2 || store->get(QStringLiteral("CRASHED-4"))
           || store->get(QStringLiteral("CRASHED-UNREADABLE"))) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    EXPECT_TRUE(inspector->released);
    std::map<QString, double> savedDurations;
    for (const FakeService::SaveCall &call : service->saves) {
        savedDurations[call.recording.id] = call.recording.durationSec;
    }
    EXPECT_EQ(savedDurations, (std::map<QString, double>{{QStringLiteral("CRASHED-30"), 30}, {QStringLiteral("FAILED"), 25}}));
    EXPECT_FALSE(store->get(QStringLiteral("CRASHED-4")));
    EXPECT_FALSE(store->get(QStringLiteral("CRASHED-UNREADABLE")));
    EXPECT_TRUE(store->get(QStringLiteral("SAVED")));
    // The failure of the last one stays on show.
    EXPECT_TRUE(model->phase().is(ModelPhase::Kind::failed));
}

TEST_F(ModelTest, LeftoversWaitWhileSignedOut)
{
    store->put(stored(QStringLiteral("WAITING"), Recording::Status::failed));
    accounts->list.clear();
    accounts->active.reset();
    launch();
    EXPECT_TRUE(service->saves.empty());
    EXPECT_FALSE(model->ready());
    EXPECT_GE(welcomes, 1);
    // Not ready: a call is neither asked about nor recorded.
    model->handle(CallEvent::started(Call{CallApp::zoom, std::nullopt, false, AudioOwner::app(CallApp::zoom)}));
    EXPECT_EQ(model->phase(), ModelPhase::idle());
    EXPECT_FALSE(model->isRecording());
}

TEST_F(ModelTest, ALateAnswerForTheFormerAccountIsDropped)
{
    accounts->list.push_back(FakeAccounts::account(QStringLiteral("B")));
    NextMeeting meetingA{QStringLiteral("Meeting of A"), clock->now(), clock->now() + std::chrono::hours(1)};
    NextMeeting meetingB{QStringLiteral("Meeting of B"), clock->now(), clock->now() + std::chrono::hours(1)};
    service->nextByAccount[QStringLiteral("A")] = meetingA;
    service->nextByAccount[QStringLiteral("B")] = meetingB;
    auto gateA = std::make_shared<Gate>();
    service->nextGates[QStringLiteral("A")] = gateA;
    launch();

    model->refreshNext();
    ASSERT_TRUE(gateA->hasWaiters());
    model->switchTo(QStringLiteral("B"));
    EXPECT_EQ(model->next(), meetingB);
    gateA->open();
    EXPECT_EQ(model->next(), meetingB);

    // A failing request leaves no stale meeting.
    service->nextFails = true;
    await([&] { return model->refreshNext(); });
    EXPECT_EQ(model->next(), std::nullopt);
}

TEST_F(ModelTest, RemovingTheLastAccountSignsOutWithoutFetching)
{
    launch();
    await([&] { return model->refreshNext(); });
    const size_t asked = service->nextAsks.size();
    model->disconnect(QStringLiteral("A"));
    EXPECT_FALSE(model->signedIn());
    EXPECT_EQ(service->nextAsks.size(), asked);
}

// The only test of the upcoming list reaching the model: a stale-account check that
// dropped every answer would show nothing.
TEST_F(ModelTest, SampleMeetingsReplaceEvenAFailedAnswer)
{
    launch();
    await([&] { return model->refreshUpcoming(); });
    EXPECT_EQ(model->upcoming(), std::nullopt); // the fake service fails

    model.reset();
    arguments = {QStringLiteral("murva-recorder"), QStringLiteral("--sample-upcoming")};
    launch();
    await([&] { return model->refreshUpcoming(); });
    ASSERT_TRUE(model->upcoming());
    EXPECT_EQ(model->upcoming()->size(), 4u);
}

TEST_F(ModelTest, TheClockFetchesOnItsSchedule)
{
    Recording known = stored(QStringLiteral("KNOWN"), Recording::Status::saved);
    known.begun = Begun{QStringLiteral("m-known"), QStringLiteral("https://up.example.com/x"), clock->now()};
    store->put(known);
    service->recentAnswer.notes.insert(QStringLiteral("m-known"), MeetingNotes::writing());
    launch();
    EXPECT_EQ(service->recentAsks, 1); // at launch
    EXPECT_EQ(model->notes().value(QStringLiteral("m-known"), MeetingNotes::none()), MeetingNotes::writing());

    clock->advance(1);
    EXPECT_EQ(service->nextAsks.size(), 1u); // one second after launch
    clock->advance(3);
    EXPECT_EQ(service->upcomingAsks, 0);
    clock->advance(1);
    EXPECT_EQ(service->upcomingAsks, 1); // five seconds after launch
    clock->advance(25);
    EXPECT_EQ(service->recentAsks, 2); // notes still being written, at tick 30
    clock->advance(30);
    EXPECT_EQ(service->nextAsks.size(), 1u);
    clock->advance(1);
    EXPECT_EQ(service->nextAsks.size(), 2u); // tick 61
    clock->advance(243);
    EXPECT_EQ(service->upcomingAsks, 1);
    clock->advance(1);
    EXPECT_EQ(service->upcomingAsks, 2); // tick 305
    EXPECT_EQ(model->ticks(), 305);
}

TEST_F(ModelTest, ARecordingReachingEightHoursIsStoppedAndSaved)
{
    launch();
    model->handle(CallEvent::started(zoomCall));
    clock->jump(28800 - 0.5);
    clock->advance(0.4);
    EXPECT_TRUE(model->isRecording());
    clock->advance(1);
    EXPECT_FALSE(model->isRecording());
    EXPECT_EQ(service->saves.size(), 1u);
}

TEST_F(ModelTest, FollowingReaimsAtTheCallsWindowButNeverARecordingWithoutCall)
{
    launch();
    model->handle(CallEvent::started(zoomCall));
    ASSERT_EQ(captures.size(), 1u);
    clock->advance(3);
    EXPECT_TRUE(captures[0]->aims.empty()); // still on its window

    screen->shown->windows = {window(9, QRectF(0, 0, 1280, 720))}; // the meeting moved to a new window
    clock->advance(3);
    ASSERT_EQ(captures[0]->aims.size(), 1u);
    EXPECT_EQ(captures[0]->aims[0], (Aimed{Aimed::Kind::window, 9}));
    model->stopAndSave(QStringLiteral("Stop and save"));

    model->recordNow(); // no call, no call page: the main display
    ASSERT_EQ(captures.size(), 2u);
    EXPECT_EQ(captures[1]->aimed, (Aimed{Aimed::Kind::display, 1}));
    clock->advance(9);
    EXPECT_TRUE(captures[1]->aims.empty());
}

TEST_F(ModelTest, ASkippedMeetingIsAskedAboutInsteadOfRecorded)
{
    NextMeeting meeting{QStringLiteral("Budget review"), clock->now(), clock->now() + std::chrono::hours(1)};
    service->nextByAccount[QStringLiteral("A")] = meeting;
    launch();
    await([&] { return model->refreshNext(); });
    model->setSkipped(meeting, true);

    model->handle(CallEvent::started(zoomCall));
    EXPECT_FALSE(model->isRecording());
    EXPECT_EQ(model->phase(), ModelPhase::asking(zoomCall));
    model->handle(CallEvent::changed(zoomCall));
    EXPECT_FALSE(model->isRecording());
    model->handle(CallEvent::ended());
    EXPECT_EQ(model->phase(), ModelPhase::idle());

    model->setSkipped(meeting, false);
    model->setAutoRecord(false);
    model->handle(CallEvent::started(zoomCall));
    EXPECT_EQ(model->phase(), ModelPhase::asking(zoomCall));
    model->setAutoRecord(true);
    model->handle(CallEvent::changed(zoomCall));
    EXPECT_TRUE(model->isRecording());
    EXPECT_EQ(model->currentRecording()->title, QStringLiteral("Budget review"));
}

TEST_F(ModelTest, OldSkipKeysAreDroppedAtTheNextChange)
{
    launch();
    const SystemTime now = clock->now();
    NextMeeting older{QStringLiteral("Older"), now - std::chrono::seconds(86401), now};
    NextMeeting recent{QStringLiteral("Recent"), now - std::chrono::seconds(86399), now};
    model->setSkipped(older, true);
    model->setSkipped(recent, true);
    EXPECT_EQ(model->skipped(), QSet<QString>{skipKey(recent)});
    EXPECT_EQ(Settings().skippedMeetings(), QStringList{skipKey(recent)});
}

TEST_F(ModelTest, TitlesAndLinksOfNewRecordings)
{
    service->meLocale = QStringLiteral("fr");
    launch();
    const QUrl opened(QStringLiteral("https://meet.google.com/abc-defg-hij"));
    model->setJoined(opened);
    clock->advance(599);
    model->handle(CallEvent::started(zoomCall));
    EXPECT_EQ(model->currentRecording()->title, QStringLiteral("Appel impromptu"));
    EXPECT_EQ(model->currentRecording()->joinUrl, opened);

    // A change that brings no link keeps the record's.
    model->handle(CallEvent::changed(Call{CallApp::meet, std::nullopt, true, AudioOwner::browser()}));
    EXPECT_EQ(model->currentRecording()->app, CallApp::meet);
    EXPECT_EQ(store->get(model->currentRecording()->id)->joinUrl, opened);
    model->discard();
    EXPECT_EQ(model->phase(), ModelPhase::idle());

    model->setJoined(opened);
    clock->advance(600);
    model->handle(CallEvent::started(zoomCall));
    EXPECT_EQ(model->currentRecording()->joinUrl, std::nullopt);
}

TEST_F(ModelTest, AFailedStartDeletesItsRecordAndAScreenRefusalBlocksTheScreen)
{
    launch();
    nextBeginFailure = CaptureError(QStringLiteral("the display refused"), true);
    const int welcomesBefore = welcomes;
    model->handle(CallEvent::started(zoomCall));
    EXPECT_FALSE(model->isRecording());
    EXPECT_EQ(model->phase(), ModelPhase::idle());
    EXPECT_TRUE(store->all().empty());
    EXPECT_TRUE(screenAccess->blocked());
    EXPECT_FALSE(model->screenChecked());
    EXPECT_FALSE(model->ready());
    EXPECT_GT(welcomes, welcomesBefore);
}

QCoro::Task<bool> passes()
{
    co_return true;
}

TEST_F(ModelTest, TheScreenIsCheckedAtLaunchOnlyOnceAndLeftoversStillSave)
{
    Settings().setScreenChecked(false);
    store->put(stored(QStringLiteral("LEFT"), Recording::Status::failed));
    int checks = 0;
    checkScreen = [&checks] {
        ++checks;
        return passes();
    };
    launch();
    EXPECT_TRUE(model->ready());
    EXPECT_EQ(service->saves.size(), 1u);
    permissions->screen = false; // taken back in the system settings
    model->allowScreen();
    EXPECT_TRUE(model->screenAsked());
    permissions->screen = true;
    model->allowScreen();
    EXPECT_TRUE(model->ready());
    EXPECT_EQ(checks, 1);
}

TEST_F(ModelTest, RecentHoldsTheFiveNewestSavedRecordings)
{
    for (int index = 0; index < 7; ++index) {
        store->put(stored(QString::number(index), index == 6 ? Recording::Status::failed : Recording::Status::saved, index));
    }
    launch();
    QStringList ids;
    for (const Recording &record : model->recent()) {
        ids << record.id;
    }
    EXPECT_EQ(ids, (QStringList{"5", "4", "3", "2", "1"}));
}

TEST_F(ModelTest, AMeetingOpensWithTheAccountOfItsRecording)
{
    accounts->list.push_back(FakeAccounts::account(QStringLiteral("B")));
    int minute = 0;
    for (const QString &account : {QStringLiteral("B"), QStringLiteral("A")}) {
        Recording record = stored(account, Recording::Status::saved, ++minute);
        record.begun = Begun{QStringLiteral("m-") + account, QStringLiteral("https://up.example.com/x"), clock->now()};
        record.connectionId = account;
        store->put(record);
    }
    launch();
    for (const auto &[meeting, host] : std::vector<std::pair<QString, QString>>{
             {"m-B", "b.example.com"}, {"m-A", "a.example.com"}, {"unknown", "a.example.com"}}) {
        model->open(meeting);
        ASSERT_FALSE(browser->opened.empty());
        EXPECT_EQ(browser->opened.back().host(), host) << meeting.toStdString();
    }
}

TEST_F(ModelTest, AnUnsureBrowserCallIsAskedAboutUnlessAMurvaTabIsOpen)
{
    const Call unsure{CallApp::other, std::nullopt, false, AudioOwner::browser()};
    for (const auto &[tab, asked] : std::vector<std::pair<QString, bool>>{
             {"https://example.org/", true}, {"https://app.murva.example/meetings", false}}) {
        tabs = {tab};
        model.reset();
        launch();
        processes->now = {AudioProcess{601, QStringLiteral("org.mozilla.firefox"), true, false}};
        await([&] { return watcher->tick(); });
        EXPECT_EQ(model->phase(), asked ? ModelPhase::asking(unsure) : ModelPhase::idle()) << tab.toStdString();
    }
}

TEST_F(ModelTest, TheTrayIconIsToldWhenItHidesOrShows)
{
    bool hidden = false;
    trayIcon = [&hidden] { return TrayIconState{hidden, std::nullopt}; };
    launch();
    std::vector<bool> told;
    model->onIconHidden = [&told](bool now) { told.push_back(now); };
    hidden = true;
    clock->advance(4);
    hidden = false;
    clock->advance(4);
    EXPECT_EQ(told, (std::vector<bool>{true, false}));
}

} // namespace
} // namespace murva::test
