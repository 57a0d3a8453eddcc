// The cost of the call watcher's poll with real adapters: ten sound streams on the
// sound server and twenty browser windows on the display, one of them a call page.
// Then the watcher on its two-second timer with nothing happening, for
// --idle-seconds (60 unless given; 0 skips it).
//
// Runs inside a desktop session, such as the test fixture's:
//   tests/fixtures/desktop-session start /tmp/bench-session && . /tmp/bench-session/env

#include "SoundPrograms.h"
#include "TestWindowProcess.h"

#include "Adapters.h"
#include "calls/CallWatcher.h"
#include "screen/ScreenAccess.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

using namespace murva;
using test::SoundProgram;

namespace {

double processCpuSec()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double monotonicSec()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

struct BusyDesktop {
    std::vector<std::unique_ptr<SoundProgram>> sounds;
    std::vector<std::unique_ptr<test::TestWindowProcess>> windows;
};

// A browser in a call (microphone and sound), a Zoom, and some music, in ten streams;
// twenty browser windows, the call page last so that every window is looked at.
std::unique_ptr<BusyDesktop> busyDesktop()
{
    auto desktop = std::make_unique<BusyDesktop>();
    const auto add = [&](SoundProgram::Kind kind, const char *identifier, int count) {
        for (int i = 0; i < count; ++i) {
            desktop->sounds.push_back(std::make_unique<SoundProgram>(kind, identifier));
        }
    };
    add(SoundProgram::Kind::recording, "org.mozilla.firefox", 2);
    add(SoundProgram::Kind::playing, "org.mozilla.firefox", 4);
    add(SoundProgram::Kind::recording, "us.zoom.xos", 2);
    add(SoundProgram::Kind::playing, "org.gnome.Music", 2);
    for (int i = 0; i < 20; ++i) {
        const QString title = i == 19 ? QStringLiteral("Meet - abc-defg-hij") : QStringLiteral("Page %1 - Mozilla Firefox").arg(i);
        desktop->windows.push_back(std::make_unique<test::TestWindowProcess>(
            QStringList{"--title", title, "--class", "Navigator,firefox", "--geometry", "400x300+10+10"}));
    }
    return desktop;
}

// Waits until the streams are on the server: the browser and Zoom in the microphone.
bool streamsSettled(CallWatcher &watcher)
{
    for (int attempt = 0; attempt < 60; ++attempt) {
        const Snapshot snapshot = QCoro::waitFor(watcher.sound());
        if (snapshot.input.contains(AudioOwner::browser()) && snapshot.input.contains(AudioOwner::app(CallApp::zoom))) {
            return true;
        }
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return false;
}

std::shared_ptr<ScreenAccess> screen;
CallWatcher *busyWatcher = nullptr;

void BM_OnePoll(benchmark::State &state)
{
    for (auto _ : state) {
        // Both adapters answer from threads of their own; this waits for the whole poll.
        QCoro::waitFor(busyWatcher->tick());
    }
}
BENCHMARK(BM_OnePoll)->UseRealTime()->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

void BM_SoundOnly(benchmark::State &state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(QCoro::waitFor(busyWatcher->sound()));
    }
}
BENCHMARK(BM_SoundOnly)->UseRealTime()->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

void BM_CallPageOnly(benchmark::State &state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(QCoro::waitFor(CallWatcher::callPage(screen)));
    }
}
BENCHMARK(BM_CallPageOnly)->UseRealTime()->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

void measureIdle(int seconds)
{
    CallWatcher watcher(Adapters::audioProcesses(), screen);
    int events = 0;
    watcher.onEvent = [&](const CallEvent &) { ++events; };
    const double cpuBefore = processCpuSec();
    const double wallBefore = monotonicSec();
    watcher.start();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpuSec = processCpuSec() - cpuBefore;
    const double wallSec = monotonicSec() - wallBefore;
    std::printf("idle watcher: %.1f s wall, %.3f s CPU = %.3f %% of one core (goal: < 0.5 %%), %d events\n", wallSec,
                cpuSec, 100.0 * cpuSec / wallSec, events);
}

int takeIdleSeconds(int &argc, char **argv)
{
    int seconds = 60;
    for (int at = 1; at < argc; ++at) {
        if (std::strncmp(argv[at], "--idle-seconds=", 15) == 0) {
            seconds = std::atoi(argv[at] + 15);
            std::memmove(argv + at, argv + at + 1, sizeof(char *) * (argc - at));
            --argc;
            break;
        }
    }
    return seconds;
}

} // namespace

int main(int argc, char **argv)
{
    const int idleSeconds = takeIdleSeconds(argc, argv);
    QTemporaryDir home;
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_DATA_HOME"}) {
        qputenv(name, (home.path() + '/' + name).toLocal8Bit());
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY") || qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        std::fprintf(stderr, "bench-calls runs inside a desktop session (DISPLAY and PULSE_SERVER):\n"
                             "  tests/fixtures/desktop-session start DIR && . DIR/env\n");
        return 2;
    }
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    screen = std::make_shared<ScreenAccess>(Adapters::screenContent());
    Settings().setScreenChecked(true);

    if (idleSeconds > 0) {
        measureIdle(idleSeconds);
    }

    const std::unique_ptr<BusyDesktop> desktop = busyDesktop();
    CallWatcher watcher(Adapters::audioProcesses(), screen);
    busyWatcher = &watcher;
    if (!streamsSettled(watcher)) {
        std::fprintf(stderr, "the sound streams did not show up\n");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("goal for one poll: < 5 ms wall, < 2 ms CPU\n");
    return 0;
}
