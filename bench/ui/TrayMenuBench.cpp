// Opening the tray menu after a change of its shape: the menu's actions rebuilt from a
// full menu (a next meeting, two accounts, unsaved and recent recordings) and laid out.
#include "tray/MenuEntries.h"
#include "tray/TrayMenu.h"

#include <QApplication>
#include <QMenu>

#include <benchmark/benchmark.h>

namespace murva {
namespace {

using namespace std::chrono_literals;

MenuState fullMenu(bool recording)
{
    const SystemTime now = std::chrono::system_clock::now();
    MenuState state;
    state.ready = true;
    state.now = now;
    for (const QString &id : {QStringLiteral("A"), QStringLiteral("B")}) {
        Me me;
        me.app = QStringLiteral("Team ") + id;
        me.meetingsUrl = QUrl(QStringLiteral("https://app.example.com/m"));
        state.accounts.append(AccountConnection{id, {}, {}, me});
    }
    state.activeId = QStringLiteral("A");
    state.me = state.accounts.front().me;
    state.next = NextMeeting{QStringLiteral("Planning"), now + 20min, now + 80min, QUrl(QStringLiteral("https://m.example.com/x")),
                             std::nullopt, {QStringLiteral("Grace"), QStringLiteral("Alan")}, {}};
    for (int i = 0; i < 5; ++i) {
        state.recent.push_back(Recording(QString::number(i), QStringLiteral("Call %1").arg(i), CallApp::zoom, now - 1h * i));
    }
    state.unsaved = {Recording(QStringLiteral("u"), QStringLiteral("Sync"), CallApp::zoom, now - 26h)};
    state.phase = recording ? ModelPhase::recording(now - 100s) : ModelPhase::idle();
    return state;
}

void BM_TrayMenuRebuildAndLayout(benchmark::State &state)
{
    QMenu menu;
    TrayMenu tray(menu);
    const std::vector<MenuEntry> shapes[] = {menuEntries(fullMenu(false)), menuEntries(fullMenu(true))};
    int turn = 0;
    for (auto _ : state) {
        tray.show(shapes[turn++ % 2]);
        menu.adjustSize();
        benchmark::DoNotOptimize(menu.sizeHint());
    }
}
BENCHMARK(BM_TrayMenuRebuildAndLayout)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace murva
