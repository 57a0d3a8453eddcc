// Renders the tray menu, the recording bar and the windows from sample data into PNG files, for
// review: murva-screenshots FOLDER. Run through scripts/screenshots, which pins the
// platform, the font and the language.
#include "bar/BarItems.h"
#include "bar/BarRow.h"
#include "bar/BarWindow.h"
#include "preview/WindowShots.h"
#include "tray/MenuEntries.h"
#include "tray/TrayMenu.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPixmap>

#include <cstdio>
#include <functional>

namespace murva {
namespace {

using namespace std::chrono_literals;

SystemTime sampleNow()
{
    return timeFromQDateTime(QDateTime(QDate(2026, 3, 2), QTime(10, 35)));
}

AccountConnection account(const QString &id, const QString &you, const QString &app)
{
    AccountConnection connection;
    connection.id = id;
    Me me;
    me.app = app;
    me.you = you;
    me.meetingsUrl = QUrl(QStringLiteral("https://app.example.com/meetings"));
    connection.me = me;
    return connection;
}

Recording recording(const QString &id, const QString &title, SystemTime at, double durationSec, bool begun)
{
    Recording record(id, title, CallApp::zoom, at);
    record.durationSec = durationSec;
    if (begun) {
        record.begun = Begun{QStringLiteral("m-") + id, QStringLiteral("https://upload.example.com"), at};
    }
    return record;
}

MenuState readyState()
{
    MenuState state;
    state.ready = true;
    state.now = sampleNow();
    const AccountConnection ada = account(QStringLiteral("A"), QStringLiteral("Ada Lovelace"), QStringLiteral("Analytical"));
    state.accounts = {ada};
    state.activeId = ada.id;
    state.me = ada.me;
    return state;
}

// Every sample menu, by file name.
std::vector<std::pair<QString, MenuState>> sampleMenus()
{
    const SystemTime now = sampleNow();
    std::vector<std::pair<QString, MenuState>> menus;
    menus.emplace_back(QStringLiteral("menu-not-ready"), MenuState{});
    menus.emplace_back(QStringLiteral("menu-ready"), readyState());
    MenuState asking = readyState();
    asking.phase = ModelPhase::asking(Call{CallApp::zoom, std::nullopt, true, AudioOwner::browser()});
    menus.emplace_back(QStringLiteral("menu-asking"), asking);
    MenuState recordingNow = readyState();
    recordingNow.phase = ModelPhase::recording(now - 723s);
    menus.emplace_back(QStringLiteral("menu-recording"), recordingNow);
    MenuState saving = readyState();
    saving.phase = ModelPhase::saving(0.45);
    menus.emplace_back(QStringLiteral("menu-saving"), saving);
    MenuState lists = readyState();
    lists.unsaved = {recording(QStringLiteral("u1"), QStringLiteral("Weekly sync"), now - 26h, 1810, false)};
    lists.recent = {recording(QStringLiteral("r1"), QStringLiteral("Design review"), now - 3h, 2710, true),
                    recording(QStringLiteral("r2"), QStringLiteral("Call with Grace"), now - 50h, 905, true)};
    menus.emplace_back(QStringLiteral("menu-recordings"), lists);
    MenuState next = readyState();
    next.next = NextMeeting{QStringLiteral("Roadmap planning"), now + 25min, now + 85min,
                            QUrl(QStringLiteral("https://meet.example.com/abc-defg-hij")), std::nullopt,
                            {QStringLiteral("Grace Hopper"), QStringLiteral("Alan Turing")}, {}};
    menus.emplace_back(QStringLiteral("menu-next-meeting"), next);
    MenuState two = readyState();
    two.accounts.append(account(QStringLiteral("B"), QStringLiteral("Ada L."), QStringLiteral("Engines Ltd")));
    two.accounts.append(AccountConnection{QStringLiteral("C"), {}, {}, std::nullopt});
    menus.emplace_back(QStringLiteral("menu-two-accounts"), two);
    return menus;
}

std::vector<std::pair<QString, ModelPhase>> sampleBars()
{
    const SystemTime now = sampleNow();
    return {
        {QStringLiteral("bar-asking"), ModelPhase::asking(Call{CallApp::zoom, std::nullopt, true, AudioOwner::browser()})},
        {QStringLiteral("bar-recording"), ModelPhase::recording(now - 723s)},
        {QStringLiteral("bar-saving"), ModelPhase::saving(0.45)},
        {QStringLiteral("bar-saved-short"), ModelPhase::saved(QStringLiteral("m"), 12)},
        {QStringLiteral("bar-saved"), ModelPhase::saved(QStringLiteral("m"), 1800)},
        {QStringLiteral("bar-failed"), ModelPhase::failed(QStringLiteral("r"), SaveError::offline)},
        {QStringLiteral("bar-failed-sign-in"), ModelPhase::failed(QStringLiteral("r"), SaveError::signIn)},
    };
}

bool save(const QPixmap &picture, const QString &folder, const QString &name)
{
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    if (!picture.save(path)) {
        std::fprintf(stderr, "murva-screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

QPixmap grabMenu(QMenu &menu)
{
    menu.ensurePolished();
    menu.adjustSize();
    return menu.grab();
}

bool renderMenus(const QString &folder)
{
    bool ok = true;
    for (const auto &[name, state] : sampleMenus()) {
        QMenu menu;
        TrayMenu tray(menu);
        tray.show(menuEntries(state));
        ok = save(grabMenu(menu), folder, name) && ok;
        for (QAction *action : menu.actions()) {
            if (action->menu()) {
                ok = save(grabMenu(*action->menu()), folder, name + QStringLiteral("-submenu")) && ok;
            }
        }
    }
    return ok;
}

bool renderBars(const QString &folder)
{
    bool ok = true;
    for (const auto &[name, phase] : sampleBars()) {
        BarWindow window;
        window.row().show(barItems(phase, sampleNow()));
        window.adjustSize();
        ok = save(window.grab(), folder, name) && ok;
        window.setComposited(false);
        if (name == QLatin1String("bar-recording")) {
            ok = save(window.grab(), folder, name + QStringLiteral("-no-compositor")) && ok;
        }
    }
    return ok;
}

} // namespace
} // namespace murva

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2) {
        std::fputs("usage: murva-screenshots FOLDER\n", stderr);
        return 2;
    }
    const QString folder = arguments[1];
    QDir().mkpath(folder);
    const bool ok = murva::renderMenus(folder) && murva::renderBars(folder) && murva::renderWindows(folder);
    return ok ? 0 : 1;
}
