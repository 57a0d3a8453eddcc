#include "model/Model.h"

#include "calls/RecordingTitles.h"
#include "capture/TargetChoice.h"
#include "log/Log.h"
#include "screen/ScreenAccess.h"
#include "settings/Language.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QPointer>
#include <QUuid>

#include <cmath>

namespace murva {

namespace {

QString linkText(const std::optional<QUrl> &url)
{
    return url ? url->toString(QUrl::FullyEncoded) : QStringLiteral("none");
}

QString callText(const Call &call)
{
    return QStringLiteral("%1, link %2, %3, owner %4")
        .arg(rawValue(call.app), linkText(call.joinUrl), call.sure ? QStringLiteral("sure") : QStringLiteral("unsure"),
             describe(call.owner));
}

// The display under the pointer, else the main one; none when neither is known.
std::optional<ShareableDisplay> activeDisplay(const ShareableContent &content, const std::optional<QPointF> &pointer)
{
    if (pointer) {
        for (const ShareableDisplay &display : content.displays) {
            if (display.frame.contains(*pointer)) {
                return display;
            }
        }
    }
    for (const ShareableDisplay &display : content.displays) {
        if (display.isMain) {
            return display;
        }
    }
    return std::nullopt;
}

std::vector<OnScreenWindow> onScreenWindows(const ShareableContent &content)
{
    std::vector<OnScreenWindow> windows;
    for (const ShareableWindow &window : content.windows) {
        std::optional<AudioOwner> owner;
        if (window.owningApplication) {
            owner = audioOwner(window.owningApplication->bundleIdentifier);
        }
        windows.push_back(OnScreenWindow{owner, window.title});
    }
    return windows;
}

// "menu bar icon shown at (1800, 0, 24, 24)"; the tray icon stands for the menu bar item.
QString iconLine(const TrayIconState &icon)
{
    const QString frame = icon.frame ? QStringLiteral("(%1, %2, %3, %4)")
                                           .arg(icon.frame->x())
                                           .arg(icon.frame->y())
                                           .arg(icon.frame->width())
                                           .arg(icon.frame->height())
                                     : QStringLiteral("none");
    return QStringLiteral("menu bar icon %1 at %2").arg(icon.hidden ? "hidden" : "shown", frame);
}

} // namespace

QString describe(const AudioOwner &owner)
{
    return owner.isBrowser() ? QStringLiteral("browser") : QStringLiteral("app(%1)").arg(rawValue(*owner.callApp()));
}

QString describe(const CallEvent &event)
{
    switch (event.kind()) {
    case CallEvent::Kind::started: return QStringLiteral("started(%1)").arg(callText(*event.call()));
    case CallEvent::Kind::changed: return QStringLiteral("changed(%1)").arg(callText(*event.call()));
    case CallEvent::Kind::ended: return QStringLiteral("ended");
    }
    return {};
}

Model::Model(ModelParts parts, QObject *parent) : QObject(parent), parts_(std::move(parts))
{
    if (!parts_.clock) {
        parts_.clock = std::make_shared<SystemModelClock>();
    }
    if (!parts_.screen) {
        parts_.screen = std::make_shared<ScreenAccess>();
    }
    now_ = parts_.clock->now();
    const Settings settings;
    autoRecord_ = settings.autoRecord();
    recordScreen_ = settings.recordScreen();
    language_ = Language::current();
    const QStringList keys = settings.skippedMeetings();
    skipped_ = QSet<QString>(keys.begin(), keys.end());
    screenChecked_ = settings.screenChecked();
}

Model::~Model() = default;

// ---- published state

void Model::setPhase(const Phase &phase)
{
    phase_ = phase;
    emit phaseChanged(phase_);
    if (onPhase) {
        onPhase(phase_);
    }
}

void Model::setProgress(double progress)
{
    if (!phase_.is(Phase::Kind::saving)) {
        return;
    }
    phase_ = Phase::saving(progress);
    emit phaseChanged(phase_);
}

void Model::notifyReadyIfChanged(bool wasReady)
{
    if (wasReady != ready()) {
        emit readyChanged();
    }
}

void Model::setPermissions(bool mic, bool screen)
{
    if (mic == micAllowed_ && screen == screenAllowed_) {
        return;
    }
    const bool wasReady = ready();
    micAllowed_ = mic;
    screenAllowed_ = screen;
    emit permissionsChanged();
    notifyReadyIfChanged(wasReady);
}

void Model::setScreenChecked(bool checked)
{
    if (checked == screenChecked_) {
        return;
    }
    const bool wasReady = ready();
    screenChecked_ = checked;
    emit screenCheckChanged();
    notifyReadyIfChanged(wasReady);
}

void Model::setAutoRecord(bool on)
{
    Settings().setAutoRecord(on);
    autoRecord_ = on;
    emit settingsChanged();
}

void Model::setRecordScreen(bool on)
{
    Settings().setRecordScreen(on);
    recordScreen_ = on;
    emit settingsChanged();
}

void Model::setLanguage(const QString &code)
{
    Settings().setLanguage(code);
    language_ = Language::current();
    emit settingsChanged();
}

void Model::reloadRecordings()
{
    recordings_ = parts_.store->all();
    emit recordingsChanged();
}

// ---- titles and links

QString Model::titleFor(SystemTime at, const std::optional<QUrl> &url) const
{
    const OptionalMe who = me();
    return callTitle(at, url, next_, who ? who->locale : QStringLiteral("en"));
}

std::optional<QUrl> Model::effectiveLink(const Call &call) const
{
    if (call.joinUrl) {
        return call.joinUrl;
    }
    if (joined_ && secondsBetween(joined_->at, parts_.clock->now()) < joinedLinkSec) {
        return joined_->url;
    }
    return std::nullopt;
}

void Model::setJoined(const QUrl &url)
{
    joined_ = Joined{url, parts_.clock->now()};
}

bool Model::skippedNow(const Call &call) const
{
    if (!next_ || !skipped_.contains(skipKey(*next_))) {
        return false;
    }
    return next_->matches(parts_.clock->now(), effectiveLink(call));
}

// ---- calls

void Model::handle(const CallEvent &event)
{
    Log::write(QStringLiteral("call: ") + describe(event));
    switch (event.kind()) {
    case CallEvent::Kind::started: {
        const Call &call = *event.call();
        if (!ready() || isRecording()) {
            return;
        }
        if (skippedNow(call)) {
            // Never recorded by itself, but the user may still want it.
            Log::write(QStringLiteral("call: its meeting is skipped, asking"));
            setPhase(Phase::asking(call));
        } else if (call.sure) {
            autoRecord_ ? start(call) : setPhase(Phase::asking(call));
        } else if (call.owner.isBrowser()) {
            askUnlessMurva(call);
        } else {
            setPhase(Phase::asking(call));
        }
        return;
    }
    case CallEvent::Kind::changed: {
        const Call &call = *event.call();
        if (!isRecording()) {
            if (!phase_.is(Phase::Kind::asking)) {
                return;
            }
            if (autoRecord_ && !skippedNow(call)) {
                start(call);
            } else {
                setPhase(Phase::asking(call));
            }
            return;
        }
        Recording record = *recording_;
        record.app = call.app;
        if (call.joinUrl) {
            record.joinUrl = call.joinUrl;
        }
        record.title = titleFor(record.at, record.joinUrl);
        recording_ = record;
        parts_.store->put(record);
        return;
    }
    case CallEvent::Kind::ended:
        if (isRecording()) {
            stopAndSave(QStringLiteral("the call ended"));
        } else if (phase_.is(Phase::Kind::asking)) {
            setPhase(Phase::idle());
        }
        return;
    }
}

void Model::askUnlessMurva(const Call &call)
{
    QSet<QString> hosts;
    for (const AccountConnection &account : accounts_) {
        if (account.me && account.me->meetingsUrl && !account.me->meetingsUrl->host().isEmpty()) {
            hosts.insert(account.me->meetingsUrl->host().toLower());
        }
    }
    askAfterTabs(call, hosts);
}

QCoro::Task<> Model::askAfterTabs(const Call &callArgument, const QSet<QString> &hostsArgument)
{
    const Call call = callArgument;
    const QSet<QString> hosts = hostsArgument;
    const QPointer<Model> self(this);
    QStringList addresses;
    if (parts_.tabAddresses) {
        auto reading = parts_.tabAddresses();
        addresses = co_await reading;
    }
    if (!self) {
        co_return;
    }
    for (const QString &address : addresses) {
        if (isMurvaPage(address, hosts)) {
            Log::write(QStringLiteral("call: on an Murva page, not asked"));
            co_return;
        }
    }
    Log::write(QStringLiteral("call: asking"));
    // The call may have ended or been recorded while the tabs were read.
    if (!isRecording() && parts_.watcher->watch().current() == call) {
        setPhase(Phase::asking(call));
    }
}

void Model::recordNow()
{
    if (const std::optional<Call> &current = parts_.watcher->watch().current()) {
        start(*current);
        return;
    }
    recordFoundPage();
}

QCoro::Task<> Model::recordFoundPage()
{
    const QPointer<Model> self(this);
    auto finding = CallWatcher::callPage(parts_.screen);
    const std::optional<CallPage> page = co_await finding;
    if (!self) {
        co_return;
    }
    if (page) {
        start(Call{page->app, page->joinUrl, true, AudioOwner::browser()});
    } else {
        start(noCall());
    }
}

void Model::notNow()
{
    hideSaved_.reset();
    setPhase(Phase::idle());
}

// ---- starting

void Model::start(const Call &call)
{
    if (isRecording()) {
        return;
    }
    refreshPermissions();
    if (!ready()) {
        if (onShowWelcome) {
            onShowWelcome();
        }
        return;
    }
    Log::write(QStringLiteral("start: %1 owner %2 link %3 video %4")
                   .arg(rawValue(call.app), describe(call.owner), linkText(call.joinUrl),
                        recordScreen_ ? QStringLiteral("true") : QStringLiteral("false")));

    const SystemTime at = parts_.clock->now();
    const std::optional<QUrl> url = effectiveLink(call);
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    Recording record(id, titleFor(at, url), call.app, at, url);
    record.connectionId = activeId_;
    recording_ = record;
    parts_.store->put(record);

    std::shared_ptr<RecordingCapture> capture = parts_.makeCapture(parts_.store->videoPath(id), recordScreen_);
    const QPointer<Model> self(this);
    const std::weak_ptr<RecordingCapture> weakCapture = capture;
    // Arrives on the capture's queue. Only the capture still running may stop the
    // recording: a late report of an ended one must not stop the next recording.
    capture->setOnBroken([self, weakCapture] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, weakCapture] {
                const std::shared_ptr<RecordingCapture> broken = weakCapture.lock();
                if (self && broken && self->capture_ == broken) {
                    self->stopAndSave(QStringLiteral("the capture stopped (permission or screen gone)"));
                }
            },
            Qt::QueuedConnection);
    });
    capture_ = capture;
    setPhase(Phase::recording(at));
    recordingCall_ = call;
    beginCapture(capture, call, id);
}

QCoro::Task<> Model::beginCapture(const std::shared_ptr<RecordingCapture> &captureArgument, const Call &callArgument,
                                  const QString &idArgument)
{
    const std::shared_ptr<RecordingCapture> capture = captureArgument;
    const Call call = callArgument;
    const QString id = idArgument;
    const QPointer<Model> self(this);
    std::optional<QString> failure;
    bool fromScreen = false;
    try {
        auto choosing = targetFor(parts_.screen, call);
        const ChosenTarget chosen = co_await choosing;
        if (!self) {
            co_return;
        }
        Log::write(QStringLiteral("recording: ") + describe(chosen.target));
        auto asking = parts_.screen->content(true);
        const std::optional<ShareableContent> content = co_await asking;
        if (!self) {
            co_return;
        }
        capture->setDisplays(content ? content->displays : std::vector<ShareableDisplay>{});
        auto beginning = capture->begin(chosen.target, chosen.own);
        co_await beginning;
    } catch (const CaptureError &error) {
        failure = QString::fromStdString(error.what());
        fromScreen = error.fromScreen();
    } catch (SaveError error) {
        failure = rawValue(error);
    } catch (const std::exception &error) {
        failure = QString::fromStdString(error.what());
    }
    if (!failure || !self) {
        co_return;
    }
    Log::write(QStringLiteral("start failed: ") + *failure);
    if (fromScreen) {
        parts_.screen->block();
    }
    // Stopped meanwhile: the stop owns the record now.
    if (capture_ != capture) {
        co_return;
    }
    clearRunning();
    parts_.store->remove(id);
    setPhase(Phase::idle());
    refreshPermissions();
    if (!ready() && onShowWelcome) {
        onShowWelcome();
    }
}

void Model::clearRunning()
{
    capture_.reset();
    recording_.reset();
    recordingCall_.reset();
}

// ---- preview

void Model::preview(const QString &name)
{
    const SystemTime now = parts_.clock->now();
    if (name == QLatin1String("asking")) {
        setPhase(Phase::asking(Call{CallApp::other, std::nullopt, false, AudioOwner::browser()}));
    } else if (name == QLatin1String("recording")) {
        setPhase(Phase::recording(now - std::chrono::seconds(723)));
    } else if (name == QLatin1String("saving")) {
        setPhase(Phase::saving(0.45));
    } else if (name == QLatin1String("saved")) {
        setPhase(Phase::saved(QStringLiteral("preview"), 12));
    } else if (name == QLatin1String("failed")) {
        setPhase(Phase::failed(QStringLiteral("preview"), SaveError::offline));
    }
}

// ---- the clock

void Model::tickClock()
{
    now_ = parts_.clock->now();
    ++ticks_;
    emit nowChanged();
    // Without a tray (headless) there is no icon to tell about.
    if (ticks_ == 4 && parts_.trayIcon) {
        Log::write(iconLine(parts_.trayIcon()));
    }
    if (ticks_ % 2 == 0) {
        checkIcon();
    }
    if (phase_.is(Phase::Kind::recording) && secondsBetween(phase_.since(), now_) >= longestRecordingSec) {
        stopAndSave(QStringLiteral("8 hours"));
    }
    if (ticks_ % followEveryTicks == 0 && capture_ && recordingCall_) {
        follow(*recordingCall_, capture_);
    }
    if (!signedIn_) {
        return;
    }
    if (ticks_ % 60 == 1 || (next_ && next_->end <= now_)) {
        refreshNext();
    }
    if (ticks_ % 300 == 5) {
        refreshUpcoming();
    }
    if (ticks_ % 60 == 30) {
        for (const MeetingNotes &state : notes_) {
            if (state.state() == MeetingNotes::State::writing) {
                refreshTitles();
                break;
            }
        }
    }
}

void Model::checkIcon()
{
    if (!parts_.trayIcon) {
        return;
    }
    const TrayIconState icon = parts_.trayIcon();
    if (icon.hidden == iconHidden_) {
        return;
    }
    iconHidden_ = icon.hidden;
    emit iconHiddenChanged();
    Log::write(iconLine(icon));
    if (onIconHidden) {
        onIconHidden(iconHidden_);
    }
}

// ---- following the call on screen

QCoro::Task<> Model::follow(const Call &callArgument, const std::shared_ptr<RecordingCapture> &captureArgument)
{
    const Call call = callArgument;
    const std::shared_ptr<RecordingCapture> capture = captureArgument;
    // A recording started by hand with no call has nothing to follow.
    if (call == noCall()) {
        co_return;
    }
    const QPointer<Model> self(this);
    auto asking = parts_.screen->content(true);
    const std::optional<ShareableContent> content = co_await asking;
    if (!self || !content || capture_ != capture) {
        co_return;
    }
    const std::optional<RunningApplication> own = ownApplication(*content);
    if (!isPresenting(onScreenWindows(*content), call)) {
        const std::optional<Aimed> aimed = capture->aimed();
        if (aimed && aimed->kind == Aimed::Kind::window) {
            for (const ShareableWindow &window : content->windows) {
                if (window.windowID == aimed->id) {
                    co_return;
                }
            }
        }
        if (const std::optional<ShareableWindow> window = callWindow(*content, call)) {
            Log::write(QStringLiteral("following: ") + describe(*window));
            capture->aim(CaptureTarget{*window}, own);
        }
        co_return;
    }
    const std::optional<ShareableDisplay> display =
        activeDisplay(*content, parts_.pointer ? parts_.pointer() : std::nullopt);
    if (!display || capture->aimed() == Aimed{Aimed::Kind::display, display->displayID}) {
        co_return;
    }
    Log::write(QStringLiteral("presenting: recording ") + describe(*display));
    capture->aim(CaptureTarget{*display}, own);
}

} // namespace murva
