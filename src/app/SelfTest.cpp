#include "SelfTest.h"

#include "Adapters.h"
#include "api/SaveError.h"
#include "capture/Capture.h"
#include "capture/TargetChoice.h"
#include "log/Log.h"
#include "screen/ScreenAccess.h"
#include "support/UserFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include <QCoroTimer>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>

namespace murva::SelfTest {
namespace {

using Clock = std::chrono::steady_clock;

void say(const QString &line)
{
    std::fputs((line + u'\n').toUtf8().constData(), stdout);
    std::fflush(stdout);
}

QString turnsText(const std::vector<Turn> &turns)
{
    QStringList parts;
    for (const Turn &turn : turns) {
        parts << QStringLiteral("%1 %2-%3").arg(rawValue(turn.who)).arg(turn.from, 0, 'f', 1).arg(turn.to, 0, 'f', 1);
    }
    return u'[' + parts.join(QStringLiteral(", ")) + u']';
}

// QTimer runs on the monotonic clock; a precise timer keeps to the millisecond where a
// coarse one may be 5 % late. Waking a little early is possible, hence the loop.
QCoro::Task<> sleepUntil(const Clock::time_point &deadlineArgument)
{
    const Clock::time_point deadline = deadlineArgument;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            co_return;
        }
        timer.start(left);
        co_await timer;
    }
}

Clock::time_point after(const Clock::time_point &from, double seconds)
{
    return from + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

QCoro::Task<int> listWindows()
{
    // Straight from the display, not through the screen gate: a listing that finds no
    // display should not mark the screen as refused.
    const std::shared_ptr<ScreenContentSource> source = Adapters::screenContent();
    auto asking = source->content(true);
    const std::optional<ShareableContent> content = co_await asking;
    if (content) {
        for (const ShareableWindow &window : content->windows) {
            if (window.title.isEmpty()) {
                continue;
            }
            const QString identifier = window.owningApplication ? window.owningApplication->bundleIdentifier : QString();
            say((identifier.isEmpty() ? QStringLiteral("?") : identifier) + u'\t' + sizeText(window.frame) + u'\t'
                + window.title);
        }
    }
    co_return 0;
}

Call callFor(const SelfTestOptions &options)
{
    return options.browser ? Call{CallApp::meet, std::nullopt, true, AudioOwner::browser()} : noCall();
}

// Records for the whole time, or with "--switch" a third on the window, a third on the
// first display and a third on the window again. Every wake-up is measured from
// `started`, so the pieces add up to exactly the time asked for.
QCoro::Task<> recordFor(Capture &capture, std::shared_ptr<ScreenAccess> screenAccess,
                        const SelfTestOptions &optionsArgument, const ChosenTarget &chosenArgument,
                        const Clock::time_point &startedArgument)
{
    const SelfTestOptions options = optionsArgument;
    const ChosenTarget chosen = chosenArgument;
    const Clock::time_point started = startedArgument;
    const Clock::time_point end = after(started, options.seconds);
    std::optional<ShareableDisplay> screen;
    if (options.switchTargets && chosen.target.isWindow()) {
        auto asking = screenAccess->content(true);
        const std::optional<ShareableContent> content = co_await asking;
        if (content && !content->displays.empty()) {
            screen = content->displays.front();
        }
    }
    if (screen) {
        auto firstThird = sleepUntil(after(started, options.seconds / 3));
        co_await firstThird;
        capture.aim(CaptureTarget{*screen}, chosen.own);
        say(QStringLiteral("switched to the screen"));
        auto secondThird = sleepUntil(after(started, options.seconds * 2 / 3));
        co_await secondThird;
        capture.aim(chosen.target, chosen.own);
        say(QStringLiteral("switched back"));
    }
    auto rest = sleepUntil(end);
    co_await rest;
}

QString describeTargetFailure()
{
    return QStringLiteral("no screen to record: the X display (DISPLAY) cannot be read");
}

QCoro::Task<int> recordAndCheck(const SelfTestOptions &optionsArgument)
{
    const SelfTestOptions options = optionsArgument;
    const bool withVideo = !options.soundOnly;
    Capture capture(options.path, withVideo, Adapters::capturePorts(withVideo));
    const auto screenAccess = std::make_shared<ScreenAccess>(Adapters::screenContent());

    std::optional<ChosenTarget> chosen;
    try {
        auto choosing = targetFor(screenAccess, callFor(options));
        chosen = co_await choosing;
    } catch (const SaveError &) {
        // No screen content: fatal only when there is a picture to record.
    }
    if (!chosen && withVideo) {
        say(QStringLiteral("self-test failed: ") + describeTargetFailure());
        co_return 1;
    }
    // Sound alone needs no screen: without one, any target will do, since the capture
    // never looks at it.
    if (!chosen) {
        chosen = ChosenTarget{CaptureTarget{ShareableDisplay{}}, std::nullopt};
    }
    if (chosen->target.isWindow()) {
        const ShareableWindow &window = chosen->target.window();
        const QString app = window.owningApplication ? window.owningApplication->applicationName : QString();
        say(QStringLiteral("window: ") + (app.isEmpty() ? QStringLiteral("?") : app) + u' ' + sizeText(window.frame));
    }

    // The file's time 0 is when begin is called: the time asked for counts from there.
    const Clock::time_point started = Clock::now();
    std::optional<QString> beginFailure;
    try {
        auto beginning = capture.begin(chosen->target, chosen->own);
        co_await beginning;
    } catch (const std::exception &error) {
        beginFailure = QString::fromStdString(error.what());
    }
    if (beginFailure) {
        say(QStringLiteral("self-test failed: ") + *beginFailure);
        co_return 1;
    }

    auto recording = recordFor(capture, screenAccess, options, *chosen, started);
    co_await recording;

    auto ending = capture.end();
    const CaptureResult result = co_await ending;
    say(QStringLiteral("recorded %1s, turns: %2").arg(result.durationSec, 0, 'f', 3).arg(turnsText(result.turns)));

    const std::optional<MediaFileInfo> file = Adapters::mediaInspector()->inspect(options.path);
    say(QString::asprintf("file: %.1f s, %d tracks", file ? file->durationSec : 0.0,
                          file ? int(file->tracks.size()) : 0));
    co_return 0;
}

// Runs a mode on this thread's event loop until it ends and hands back its status.
int runToEnd(const std::function<QCoro::Task<int>()> &mode)
{
    QEventLoop loop;
    int status = 1;
    bool done = false;
    auto runner = [&]() -> QCoro::Task<> {
        // Whatever escapes must still end the loop, or the process would hang.
        try {
            auto running = mode();
            status = co_await running;
        } catch (const std::exception &error) {
            std::fprintf(stderr, "murva-recorder: %s\n", error.what());
            status = 1;
        }
        done = true;
        loop.quit();
    };
    auto running = runner();
    if (!done) {
        loop.exec();
    }
    return status;
}

} // namespace

std::optional<int> runIfAsked(int &argc, char **argv, const CommandLine &options)
{
    if (!options.listWindows && !options.selfTest) {
        return std::nullopt;
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Murva Recorder"));
    // A writer failure is logged, and the log never creates its folder.
    QDir().mkpath(UserFolders::stateHome());
    Adapters::install();

    int status = 0;
    if (options.listWindows) {
        status = runToEnd(listWindows);
    } else {
        const SelfTestOptions selfTest = *options.selfTest;
        status = runToEnd([&selfTest] { return recordAndCheck(selfTest); });
    }
    Log::flush();
    return status;
}

} // namespace murva::SelfTest
