// The three windows from sample states, for review.
#include "preview/WindowShots.h"

#include "settings/Language.h"
#include "windows/HomeTexts.h"
#include "windows/HomeWindow.h"
#include "windows/SettingsWindow.h"
#include "windows/WelcomeWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QScrollArea>

#include <cstdio>

namespace murva {
namespace {

using namespace std::chrono_literals;

SystemTime sampleNow()
{
    return timeFromQDateTime(QDateTime(QDate(2026, 3, 4), QTime(10, 35), QTimeZone::utc()));
}

bool save(QWidget &window, const QString &folder, const QString &name)
{
    window.ensurePolished();
    // As the event loop would before the window is painted.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    window.adjustSize();
    bool ok = window.grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
    // The whole scrolling page too, for what lies below the window's edge.
    if (auto *page = window.findChild<QScrollArea *>(QStringLiteral("page"))) {
        QWidget *content = page->widget();
        if (content->sizeHint().height() > page->viewport()->height()) {
            content->resize(page->viewport()->width(), content->sizeHint().height());
            ok = content->grab().save(QDir(folder).filePath(name + QStringLiteral("-page.png"))) && ok;
        }
    }
    if (!ok) {
        std::fprintf(stderr, "murva-screenshots: cannot write %s\n", qPrintable(name));
    }
    return ok;
}

Me sampleMe(const QString &you, const QString &app)
{
    Me me;
    me.app = app;
    me.you = you;
    return me;
}

AccountConnection account(const QString &id, const std::optional<Me> &me)
{
    AccountConnection connection;
    connection.id = id;
    connection.me = me;
    return connection;
}

bool renderWelcome(const QString &folder)
{
    const QString code = Language::current();
    WelcomeState none;
    none.screenAllowed = true;
    none.language = code;
    WelcomeState connecting = none;
    connecting.connecting = true;
    WelcomeState signedIn = none;
    signedIn.signedIn = true;
    signedIn.me = sampleMe(QStringLiteral("Ada Lovelace"), QStringLiteral("Analytical Engines"));
    WelcomeState checking = signedIn;
    checking.micAllowed = true;
    checking.checkingScreen = true;
    WelcomeState ready = checking;
    ready.checkingScreen = false;
    ready.screenChecked = true;
    ready.ready = true;
    WelcomeState hidden = ready;
    hidden.iconHidden = true;
    WelcomeState wayland = signedIn;
    wayland.micAllowed = true;
    wayland.screenAllowed = false;
    bool ok = true;
    for (const auto &[name, state] : std::vector<std::pair<QString, WelcomeState>>{
             {QStringLiteral("welcome-none"), none}, {QStringLiteral("welcome-connecting"), connecting},
             {QStringLiteral("welcome-signed-in"), signedIn}, {QStringLiteral("welcome-checking"), checking},
             {QStringLiteral("welcome-ready"), ready}, {QStringLiteral("welcome-icon-hidden"), hidden},
             {QStringLiteral("welcome-wayland"), wayland}}) {
        WelcomeWindow window;
        window.show(state);
        ok = save(window, folder, name) && ok;
    }
    return ok;
}

bool renderSettings(const QString &folder)
{
    SettingsState none;
    none.language = Language::current();
    none.autoRecord = true;
    SettingsState connecting = none;
    connecting.accounts = {account(QStringLiteral("A"), std::nullopt)};
    connecting.connecting = true;
    SettingsState two = none;
    two.openAtLogin = true;
    Me mail;
    mail.app = QStringLiteral("A very long account name that goes on well past the edge of the window");
    mail.email = QStringLiteral("grace.hopper@example.com");
    two.accounts = {account(QStringLiteral("A"), sampleMe(QStringLiteral("Ada Lovelace 👩‍💻"), QStringLiteral("Analytical Engines"))),
                    account(QStringLiteral("B"), mail)};
    bool ok = true;
    for (const auto &[name, state] : std::vector<std::pair<QString, SettingsState>>{
             {QStringLiteral("settings-none"), none}, {QStringLiteral("settings-connecting"), connecting},
             {QStringLiteral("settings-two-accounts"), two}}) {
        SettingsWindow window;
        window.show(state);
        ok = save(window, folder, name) && ok;
    }
    return ok;
}

Person person(const QString &name, const QString &email)
{
    return Person{email, name, std::nullopt};
}

Recording recording(const QString &id, const QString &title, SystemTime at, bool saved)
{
    Recording record(id, title, CallApp::zoom, at);
    record.durationSec = 1800;
    record.status = saved ? Recording::Status::saved : Recording::Status::failed;
    if (saved) {
        record.begun = Begun{QStringLiteral("m-") + id, QStringLiteral("https://upload.example.com"), at};
    }
    return record;
}

HomeState emptyHome()
{
    HomeState state;
    state.now = sampleNow();
    state.autoRecord = true;
    state.version = QStringLiteral("1.4.0");
    state.calendar = Calendar{QTimeZone::utc()};
    state.locale = HomeTexts::appLocale(Language::current());
    return state;
}

NextMeeting meeting(const QString &title, SystemTime start, const std::optional<QUrl> &link, std::vector<Person> people)
{
    NextMeeting next{title, start, start + 1h, link, std::nullopt, {}, std::move(people)};
    for (const Person &one : next.people) {
        next.guests.append(one.email);
    }
    return next;
}

HomeState fullHome()
{
    const SystemTime now = sampleNow();
    HomeState state = emptyHome();
    state.next = meeting(QStringLiteral("Roadmap planning"), now + 25min,
                         QUrl(QStringLiteral("https://us02web.zoom.us/j/5550100123")),
                         {person(QStringLiteral("Ana Maria Lopez"), QStringLiteral("ana@example.com")),
                          person(QStringLiteral("Ben Sample"), QStringLiteral("ben@example.org")),
                          person(QStringLiteral("Cy"), QStringLiteral("cy@example.net"))});
    state.unsaved = {recording(QStringLiteral("u1"), QStringLiteral("Weekly sync with the whole installation crew and the office"), now - 26h, false)};
    state.recent = {recording(QStringLiteral("r1"), QStringLiteral("Design review"), now - 3h, true),
                    recording(QStringLiteral("r2"), QStringLiteral("Call with Grace"), now - 26h, true),
                    recording(QStringLiteral("r3"), QStringLiteral("Quote follow-up"), now - 50h, true),
                    recording(QStringLiteral("r4"), QStringLiteral("مكالمة مع العميل"), now - 74h, true),
                    recording(QStringLiteral("r5"), QStringLiteral("Kick-off 🚀"), now - 98h, true)};
    state.notes = {{QStringLiteral("m-r1"), MeetingNotes::ready(0)},
                   {QStringLiteral("m-r2"), MeetingNotes::ready(1)},
                   {QStringLiteral("m-r3"), MeetingNotes::ready(4)},
                   {QStringLiteral("m-r4"), MeetingNotes::writing()},
                   {QStringLiteral("m-r5"), MeetingNotes::none()}};
    const std::vector<std::pair<QString, std::optional<QUrl>>> coming{
        {QStringLiteral("Heat pump quote walkthrough"), QUrl(QStringLiteral("https://meet.google.com/abc-defg-hij"))},
        {QStringLiteral("Team huddle"), QUrl(QStringLiteral("https://app.murva.example/meet/huddle"))},
        {QStringLiteral("Furnace noise call back, second visit with the landlord and the tenant"), std::nullopt},
        {QStringLiteral("Roof-top unit site visit"), QUrl(QStringLiteral("https://teams.microsoft.com/l/meetup-join/x"))},
        {QStringLiteral("Supplier check-in"), QUrl(QStringLiteral("https://example.webex.com/meet/x"))},
    };
    for (size_t index = 0; index < coming.size(); ++index) {
        const NextMeeting next = meeting(coming[index].first, now + std::chrono::hours(3 + 20 * index), coming[index].second, {});
        state.upcoming.push_back(UpcomingMeeting{next, int(index)});
    }
    state.week.calls = 5;
    state.week.seconds = 9000;
    state.week.days = {2, 1, 2, 0, 0, 0, 0};
    return state;
}

bool renderHome(const QString &folder)
{
    HomeState recordingNow = fullHome();
    recordingNow.phase = ModelPhase::recording(sampleNow() - 723s);
    HomeState saving = fullHome();
    saving.phase = ModelPhase::saving(0.45);
    saving.nextSkipped = true;
    saving.autoRecord = false;
    HomeState hidden = emptyHome();
    hidden.iconHidden = true;
    hidden.autoRecord = false;
    bool ok = true;
    for (const auto &[name, state] : std::vector<std::pair<QString, HomeState>>{
             {QStringLiteral("home-recording"), recordingNow}, {QStringLiteral("home-next-meeting"), fullHome()},
             {QStringLiteral("home-saving-skipped"), saving}, {QStringLiteral("home-empty"), emptyHome()},
             {QStringLiteral("home-icon-hidden"), hidden}}) {
        HomeWindow window(nullptr);
        window.show(state);
        ok = save(window, folder, name) && ok;
    }
    return ok;
}

} // namespace

bool renderWindows(const QString &folder)
{
    const bool welcome = renderWelcome(folder);
    const bool settings = renderSettings(folder);
    return renderHome(folder) && welcome && settings;
}

} // namespace murva
