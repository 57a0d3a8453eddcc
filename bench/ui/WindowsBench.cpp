// The windows: first show of home with 20 recent recordings and 20 coming meetings (built,
// laid out and painted), and the resident memory the three windows add, and whether
// opening and closing home again and again grows it.
#include "settings/Language.h"
#include "windows/HomeTexts.h"
#include "windows/HomeWindow.h"
#include "windows/SettingsWindow.h"
#include "windows/WelcomeWindow.h"

#include <QApplication>
#include <QFile>

#include <benchmark/benchmark.h>

namespace murva {
namespace {

using namespace std::chrono_literals;

double residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toDouble();
        }
    }
    return 0;
}

HomeState fullHome()
{
    HomeState state;
    state.now = std::chrono::system_clock::now();
    state.calendar = Calendar::current();
    state.locale = HomeTexts::appLocale(QStringLiteral("en"));
    state.version = QStringLiteral("1.0");
    for (int i = 0; i < 20; ++i) {
        Recording record(QString::number(i), QStringLiteral("Call number %1 with the team").arg(i), CallApp::zoom,
                         state.now - 5h * i);
        record.status = Recording::Status::saved;
        record.begun = Begun{QStringLiteral("m%1").arg(i), QStringLiteral("https://u.example.com"), record.at};
        state.recent.push_back(record);
        state.notes.insert(record.begun->meetingId, MeetingNotes::ready(i % 3));
        NextMeeting meeting{QStringLiteral("Meeting %1").arg(i), state.now + 3h * (i + 1), state.now + 3h * (i + 1) + 1h,
                            QUrl(QStringLiteral("https://zoom.us/j/%1").arg(i)), std::nullopt, {}, {}};
        state.upcoming.push_back(UpcomingMeeting{meeting, i % 4});
    }
    state.next = state.upcoming.front().meeting;
    return state;
}

void showAndPaint(QWidget &window)
{
    window.show();
    QCoreApplication::processEvents();
    benchmark::DoNotOptimize(window.grab());
}

void BM_HomeFirstShow(benchmark::State &state)
{
    const HomeState home = fullHome();
    for (auto _ : state) {
        HomeWindow window(nullptr);
        window.show(home);
        showAndPaint(window);
    }
}
BENCHMARK(BM_HomeFirstShow)->Unit(benchmark::kMillisecond);

void BM_ResidentMemoryOfTheThreeWindows(benchmark::State &state)
{
    for (auto _ : state) {
        const double before = residentKb();
        WelcomeWindow welcome;
        welcome.show(WelcomeState{});
        showAndPaint(welcome);
        SettingsWindow settings;
        settings.show(SettingsState{});
        showAndPaint(settings);
        HomeWindow home(nullptr);
        home.show(fullHome());
        showAndPaint(home);
        const double shown = residentKb();
        for (int i = 0; i < 100; ++i) {
            home.close();
            home.show(fullHome());
            showAndPaint(home);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        state.counters["addedKb"] = shown - before;
        state.counters["grownAfter100Kb"] = residentKb() - shown;
    }
}
BENCHMARK(BM_ResidentMemoryOfTheThreeWindows)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace murva
