#include "windows/HomeTexts.h"

#include "meetings/DurationTexts.h"
#include "settings/Language.h"
#include "style/Style.h"

#include <QCryptographicHash>

namespace murva::HomeTexts {
namespace {

constexpr auto countdownLimit = std::chrono::hours(8);
const QString avatarPrefix = QStringLiteral("https://gravatar.com/avatar/");

QString t(const char *key, const QVariantList &arguments = {})
{
    return Language::text(QString::fromLatin1(key), arguments);
}

qint64 daysFrom(SystemTime now, SystemTime date, const Calendar &calendar)
{
    return calendar.date(now).daysTo(calendar.date(date));
}

QDateTime local(SystemTime date, const Calendar &calendar)
{
    return toQDateTime(date).toTimeZone(calendar.zone);
}

bool hostEndsWith(const QString &host, const QString &domain)
{
    return host == domain || host.endsWith(QLatin1Char('.') + domain);
}

} // namespace

QLocale appLocale(const QString &languageCode, const QLocale &system)
{
    const QString region = system.territory() == QLocale::AnyTerritory
                               ? QStringLiteral("CA")
                               : QLocale::territoryToCode(system.territory());
    return QLocale(languageCode + QLatin1Char('_') + region);
}

QString whenText(SystemTime date, SystemTime now, const Calendar &calendar, const QLocale &locale)
{
    const std::optional<QString> until = untilText(date, now);
    if (!until) {
        return t("homeNow");
    }
    if (date - now <= countdownLimit) {
        return *until;
    }
    if (daysFrom(now, date, calendar) == 1) {
        return t("homeTomorrow");
    }
    return locale.dayName(calendar.date(date).dayOfWeek(), QLocale::LongFormat);
}

QString timeText(SystemTime date, const Calendar &calendar, const QLocale &locale)
{
    return locale.toString(local(date, calendar).time(), QLocale::ShortFormat);
}

QString dayText(SystemTime date, SystemTime now, const Calendar &calendar, const QLocale &locale)
{
    const qint64 days = daysFrom(now, date, calendar);
    if (days == 0) {
        return t("homeTodayAt %@", {timeText(date, calendar, locale)});
    }
    if (days == -1) {
        return t("homeYesterday");
    }
    const QDate day = calendar.date(date);
    return locale.dayName(day.dayOfWeek(), QLocale::ShortFormat) + QStringLiteral(", ")
           + locale.monthName(day.month(), QLocale::ShortFormat) + QLatin1Char(' ') + QString::number(day.day());
}

QString cardDay(SystemTime date, SystemTime now, const Calendar &calendar, const QLocale &locale)
{
    const qint64 days = daysFrom(now, date, calendar);
    if (days == 0) {
        return t("homeToday");
    }
    if (days == 1) {
        return t("homeTomorrow");
    }
    return locale.dayName(calendar.date(date).dayOfWeek(), QLocale::ShortFormat);
}

std::optional<QString> serviceName(const QUrl &link)
{
    const QString host = link.host().toLower();
    if (hostEndsWith(host, QStringLiteral("meet.google.com"))) {
        return QStringLiteral("Google Meet");
    }
    if (hostEndsWith(host, QStringLiteral("zoom.us")) || hostEndsWith(host, QStringLiteral("zoom.com"))) {
        return QStringLiteral("Zoom");
    }
    if (host.contains(QLatin1String("teams.microsoft")) || host.contains(QLatin1String("teams.live"))) {
        return QStringLiteral("Teams");
    }
    if (hostEndsWith(host, QStringLiteral("webex.com"))) {
        return QStringLiteral("Webex");
    }
    if (hostEndsWith(host, QStringLiteral("whereby.com"))) {
        return QStringLiteral("Whereby");
    }
    if (isMurvaRoom(link)) {
        return QStringLiteral("Murva");
    }
    return std::nullopt;
}

bool isMurvaRoom(const QUrl &link)
{
    return link.path().startsWith(QLatin1String("/meet/"));
}

QString joinLabel(const std::optional<QUrl> &link)
{
    if (link && isMurvaRoom(*link)) {
        return t("joinMurvaCall");
    }
    if (const std::optional<QString> service = link ? serviceName(*link) : std::nullopt) {
        return t("joinOn %@", {*service});
    }
    return t("joinMeeting");
}

QString guestCountText(int count)
{
    return count == 1 ? t("homeOnePerson") : t("homePeople %d", {count});
}

QString detailLine(const UpcomingMeeting &entry)
{
    QStringList pieces;
    if (const auto &link = entry.meeting.link) {
        if (const std::optional<QString> service = serviceName(*link)) {
            pieces.append(*service);
        }
    }
    if (entry.guestCount > 0) {
        pieces.append(guestCountText(entry.guestCount));
    }
    return pieces.isEmpty() ? t("homeInMurva") : pieces.join(QStringLiteral(" · "));
}

QString guestLine(const QStringList &names, int count)
{
    const QStringList shown = names.size() >= 3 ? names.mid(0, 2) : names;
    const QString joined = shown.join(QStringLiteral(", "));
    const int remainder = count - int(shown.size());
    return remainder >= 1 ? t("homeAndMore %@ %d", {joined, remainder}) : joined;
}

std::optional<QString> notesChip(const std::optional<MeetingNotes> &notes)
{
    if (!notes) {
        return std::nullopt;
    }
    switch (notes->state()) {
    case MeetingNotes::State::ready:
        if (notes->nextSteps() == 0) {
            return t("homeNotesReady");
        }
        return notes->nextSteps() == 1 ? t("homeNotesOneStep") : t("homeNotesSteps %d", {notes->nextSteps()});
    case MeetingNotes::State::writing:
        return t("homeWritingNotes");
    case MeetingNotes::State::none:
        break;
    }
    return std::nullopt;
}

QString weekSummary(const WeekCount &week)
{
    if (week.calls == 0) {
        return t("homeWeekNone");
    }
    if (week.calls == 1) {
        return t("homeWeekOne %@", {hoursText(week.seconds)});
    }
    return t("homeWeekMany %d %@", {week.calls, hoursText(week.seconds)});
}

std::optional<QUrl> avatarUrl(const QString &email)
{
    if (!email.contains(QLatin1Char('@'))) {
        return std::nullopt;
    }
    QString trimmed = email;
    while (!trimmed.isEmpty() && (trimmed.front() == u' ' || trimmed.front() == u'\t')) {
        trimmed.remove(0, 1);
    }
    while (!trimmed.isEmpty() && (trimmed.back() == u' ' || trimmed.back() == u'\t')) {
        trimmed.chop(1);
    }
    const QByteArray digest = QCryptographicHash::hash(trimmed.toLower().toUtf8(), QCryptographicHash::Sha256);
    return QUrl(avatarPrefix + QString::fromLatin1(digest.toHex()) + QStringLiteral("?s=96&d=404"));
}

QString initials(const QString &name)
{
    if (name.contains(QLatin1Char('@'))) {
        return name.left(1).toUpper();
    }
    const QStringList words = name.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QString letters;
    for (const QString &word : words.mid(0, 2)) {
        // A whole first character, so an emoji or accented letter is never cut in half.
        const int length = word.size() > 1 && word.front().isHighSurrogate() ? 2 : 1;
        letters += word.left(length);
    }
    return letters.toUpper();
}

Pill statusPill(const ModelPhase &phase, bool autoRecord)
{
    using Kind = ModelPhase::Kind;
    switch (phase.kind()) {
    case Kind::recording:
        return {t("homeRecording"), Style::Colors::live};
    case Kind::saving:
        return {t("savingPercent %d", {int(phase.progress() * 100)}), Style::Colors::softInk};
    case Kind::failed:
        return {t("homeNotSaved"), Style::Colors::warning};
    default:
        return autoRecord ? Pill{t("homeReady"), Style::Colors::success} : Pill{t("homeAsks"), Style::Colors::muted};
    }
}

} // namespace murva::HomeTexts
