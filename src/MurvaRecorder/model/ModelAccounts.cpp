// Accounts, the service's meetings, recent titles, skipped meetings and the service's pages.
#include "model/Model.h"

#include "calls/RecordingTitles.h"
#include "log/Log.h"
#include "meetings/Calendar.h"
#include "settings/Settings.h"

#include <QPointer>

#include <chrono>
#include <map>

namespace murva {

namespace {

constexpr double dayRecordsSec = 86400;

// Part of a skip key before its line feed, read as seconds since 1970 (0 when not a number).
double skipKeyStartSec(const QString &key)
{
    bool ok = false;
    const double seconds = key.section(QLatin1Char('\n'), 0, 0).toDouble(&ok);
    return ok ? seconds : 0;
}

NextMeeting sampleMeeting(SystemTime dayStart, int fromSec, int toSec, const QString &title,
                          const std::optional<QUrl> &link, const std::vector<Person> &people)
{
    NextMeeting meeting;
    meeting.title = title;
    meeting.start = dayStart + std::chrono::seconds(fromSec);
    meeting.end = dayStart + std::chrono::seconds(toSec);
    meeting.link = link;
    for (const Person &person : people) {
        meeting.guests << person.email;
    }
    meeting.people = people;
    return meeting;
}

Person samplePerson(const QString &name, const QString &email)
{
    return Person{email, name, std::nullopt};
}

} // namespace

OptionalMe Model::me() const
{
    if (const Me *who = meOf(activeId_)) {
        return *who;
    }
    return std::nullopt;
}

const Me *Model::meOf(const std::optional<QString> &account) const
{
    if (!account) {
        return nullptr;
    }
    for (const AccountConnection &connection : accounts_) {
        if (connection.id == *account) {
            return connection.me ? &*connection.me : nullptr;
        }
    }
    return nullptr;
}

void Model::setSignedInState(const AccountList &accounts, const OptionalText &activeId)
{
    const bool wasReady = ready();
    accounts_ = accounts;
    activeId_ = activeId;
    signedIn_ = !accounts_.isEmpty();
    emit accountsChanged();
    notifyReadyIfChanged(wasReady);
}

void Model::reloadAccounts()
{
    setSignedInState(parts_.accounts->connections(), parts_.accounts->activeId());
}

QCoro::Task<> Model::fetchMe(const QString &idArgument)
{
    const QString id = idArgument;
    const std::shared_ptr<ModelAccounts> accounts = parts_.accounts;
    try {
        auto asking = parts_.service->me(id);
        const Me answer = co_await asking;
        auto remembering = accounts->remember(answer, id);
        co_await remembering;
    } catch (...) {
        // Who the account belongs to is asked again at the next launch.
    }
}

void Model::connect()
{
    connecting_ = true;
    emit connectingChanged();
    connectTask(++connectRun_);
}

QCoro::Task<> Model::connectTask(int attempt)
{
    const QPointer<Model> self(this);
    std::optional<QString> newId;
    try {
        auto connecting = parts_.accounts->connect();
        newId = co_await connecting;
    } catch (...) {
    }
    if (!self) {
        co_return;
    }
    reloadAccounts();
    const bool known = newId && std::any_of(accounts_.begin(), accounts_.end(),
                                            [&](const AccountConnection &account) { return account.id == *newId; });
    if (known) {
        auto fetching = fetchMe(*newId);
        co_await fetching;
        if (!self) {
            co_return;
        }
        reloadAccounts();
    }
    // An older attempt that ends after a newer one began leaves `connecting` alone.
    if (connectRun_ == attempt) {
        connecting_ = false;
        emit connectingChanged();
    }
}

void Model::switchTo(const QString &id)
{
    switchTask(id);
}

QCoro::Task<> Model::switchTask(const QString &idArgument)
{
    const QString id = idArgument;
    const QPointer<Model> self(this);
    auto selecting = parts_.accounts->select(id);
    co_await selecting;
    if (!self) {
        co_return;
    }
    reloadAccounts();
    setNext(std::nullopt);
    auto refreshing = refreshNext();
    co_await refreshing;
}

void Model::disconnect(const QString &id)
{
    disconnectTask(id);
}

QCoro::Task<> Model::disconnectTask(const QString &idArgument)
{
    const QString id = idArgument;
    const QPointer<Model> self(this);
    auto removing = parts_.accounts->remove(id);
    co_await removing;
    if (!self) {
        co_return;
    }
    reloadAccounts();
    setNext(std::nullopt);
    if (signedIn_) {
        auto refreshing = refreshNext();
        co_await refreshing;
    }
}

void Model::setNext(const OptionalMeeting &next)
{
    if (next == next_) {
        return;
    }
    next_ = next;
    emit nextChanged();
}

QCoro::Task<> Model::refreshNext()
{
    const QPointer<Model> self(this);
    const OptionalText asked = activeId_;
    OptionalMeeting answer;
    try {
        auto asking = parts_.service->next(asked);
        answer = co_await asking;
    } catch (...) {
        // A failure counts as no meeting, so no stale meeting stays on show.
    }
    if (self && activeId_ == asked) {
        setNext(answer);
    }
}

QCoro::Task<> Model::refreshUpcoming()
{
    const QPointer<Model> self(this);
    const OptionalText asked = activeId_;
    const SystemTime now = parts_.clock->now();
    const Calendar calendar = Calendar::current();
    std::optional<SystemTime> horizon = calendar.startOfDay(calendar.date(now).addDays(2));
    if (!horizon) {
        horizon = now + std::chrono::seconds(129600);
    }
    OptionalUpcoming answer;
    try {
        auto asking = parts_.service->upcoming(asked, *horizon);
        answer = co_await asking;
    } catch (...) {
    }
    if (!self || activeId_ != asked) {
        co_return;
    }
    if (parts_.arguments.contains(QStringLiteral("--sample-upcoming"))) {
        previewUpcoming();
        co_return;
    }
    upcoming_ = answer;
    emit upcomingChanged();
}

void Model::previewUpcoming()
{
    const Calendar calendar = Calendar::current();
    const SystemTime now = parts_.clock->now();
    const SystemTime today = calendar.startOfDay(now).value_or(now);
    const Person ana = samplePerson(QStringLiteral("Ana Example"), QStringLiteral("ana@example.com"));
    const Person ben = samplePerson(QStringLiteral("Ben Sample"), QStringLiteral("ben@example.org"));
    const Person cy = samplePerson(QStringLiteral("Cy Placeholder"), QStringLiteral("cy@example.net"));
    const std::vector<NextMeeting> meetings{
        sampleMeeting(today, 118800, 122400, QStringLiteral("Heat pump quote walkthrough"),
                      QUrl(QStringLiteral("https://zoom.us/j/5550100123")), {ana, ben}),
        sampleMeeting(today, 126000, 129600, QStringLiteral("Weekly service team huddle"),
                      QUrl(QStringLiteral("https://meet.google.com/abc-defg-hij")), {ana, ben, cy}),
        sampleMeeting(today, 136800, 140400, QStringLiteral("Furnace noise call back"), std::nullopt, {cy}),
        sampleMeeting(today, 144000, 147600, QStringLiteral("Roof-top unit site visit"),
                      QUrl(QStringLiteral("https://app.murva.example/meetings/sample-visit")), {ben}),
    };
    std::vector<UpcomingMeeting> list;
    for (const NextMeeting &meeting : meetings) {
        list.push_back(UpcomingMeeting{meeting, int(meeting.guests.size())});
    }
    upcoming_ = list;
    emit upcomingChanged();
}

QCoro::Task<> Model::refreshTitles()
{
    const QPointer<Model> self(this);
    // The account of each recording the service knows, in the order first seen.
    std::vector<std::pair<QString, RecordingList>> groups;
    for (const Recording &record : recent()) {
        if (!record.begun) {
            continue;
        }
        const QString account = record.connectionId.value_or(activeId_.value_or(QString()));
        auto group = std::find_if(groups.begin(), groups.end(), [&](const auto &entry) { return entry.first == account; });
        if (group == groups.end()) {
            groups.push_back({account, {}});
            group = std::prev(groups.end());
        }
        group->second.push_back(record);
    }
    for (const auto &[account, records] : groups) {
        auto refreshing = refreshTitlesOf(account, records);
        co_await refreshing;
        if (!self) {
            co_return;
        }
    }
    reloadRecordings();
}

QCoro::Task<> Model::refreshTitlesOf(const std::optional<QString> &accountArgument, const RecordingList &groupArgument)
{
    const std::optional<QString> account = accountArgument;
    const RecordingList group = groupArgument;
    const QPointer<Model> self(this);
    QStringList meetingIds;
    for (const Recording &record : group) {
        meetingIds << record.begun->meetingId;
    }
    RecentInfo info;
    try {
        auto asking = parts_.service->recentInfo(account, meetingIds);
        info = co_await asking;
    } catch (...) {
        co_return;
    }
    if (!self) {
        co_return;
    }
    for (auto entry = info.notes.cbegin(); entry != info.notes.cend(); ++entry) {
        notes_.insert(entry.key(), entry.value());
    }
    emit notesChanged();
    const Me *who = meOf(account);
    for (const Recording &record : renamed(group, info.titles, who ? who->locale : QStringLiteral("en"))) {
        Log::write(QStringLiteral("renamed %1: %2").arg(record.id, record.title));
        parts_.store->put(record);
    }
}

void Model::refreshHome()
{
    if (signedIn_) {
        refreshHomeTask();
    }
}

QCoro::Task<> Model::refreshHomeTask()
{
    const QPointer<Model> self(this);
    auto nextFetch = refreshNext();
    co_await nextFetch;
    if (!self) {
        co_return;
    }
    auto upcomingFetch = refreshUpcoming();
    co_await upcomingFetch;
    if (!self) {
        co_return;
    }
    auto titlesFetch = refreshTitles();
    co_await titlesFetch;
}

void Model::setSkipped(const NextMeeting &meeting, bool skipped)
{
    if (skipped) {
        skipped_.insert(skipKey(meeting));
    } else {
        skipped_.remove(skipKey(meeting));
    }
    // Keys of meetings that started more than a day ago are of no use any more.
    const double oldestSec = millisecondsSince1970(parts_.clock->now()) / 1000 - dayRecordsSec;
    QStringList kept;
    for (auto key = skipped_.begin(); key != skipped_.end();) {
        if (skipKeyStartSec(*key) > oldestSec) {
            kept << *key;
            ++key;
        } else {
            key = skipped_.erase(key);
        }
    }
    kept.sort();
    Settings().setSkippedMeetings(kept);
    emit skippedChanged();
    Log::write(QStringLiteral("meeting ") + (skipped ? QStringLiteral("skipped") : QStringLiteral("recorded again")));
}

// ---- the service's pages

void Model::openUrl(const std::optional<QUrl> &url)
{
    if (url && url->isValid() && parts_.browser) {
        parts_.browser->open(*url);
    }
}

void Model::openMeetings()
{
    const OptionalMe who = me();
    openUrl(who ? who->meetingsUrl : std::nullopt);
}

void Model::openInMurva(const NextMeeting &meeting)
{
    const OptionalMe who = me();
    if (!who || !who->meetingsUrl) {
        return;
    }
    openUrl(meeting.scheduleURL(*who->meetingsUrl, Calendar::current()));
}

void Model::openSchedule()
{
    const OptionalMe who = me();
    if (!who || !who->meetingsUrl) {
        return;
    }
    QUrl url = *who->meetingsUrl;
    url.setPath(QStringLiteral("/app/scheduling"));
    url.setQuery(QString());
    openUrl(url);
}

void Model::open(const QString &meetingId)
{
    std::optional<QString> account = activeId_;
    for (const Recording &record : recordings_) {
        if (record.begun && record.begun->meetingId == meetingId) {
            if (record.connectionId) {
                account = record.connectionId;
            }
            break;
        }
    }
    const Me *who = meOf(account);
    openUrl(who ? who->meetingURL(meetingId) : std::nullopt);
}

} // namespace murva
