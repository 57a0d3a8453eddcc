#pragma once

#include "meetings/Calendar.h"
#include "meetings/MeetingNotes.h"
#include "meetings/UpcomingMeeting.h"
#include "meetings/WeekCount.h"
#include "model/ModelPhase.h"

#include <QColor>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// The rules that turn the model's dates, people and links into the home window's texts.
// Texts come from the current language's table; dates are read in the given calendar.
namespace murva::HomeTexts {

// The chosen language with the system's region ("CA" when it has none): "fr_BE".
QLocale appLocale(const QString &languageCode, const QLocale &system = QLocale::system());

// When a meeting starts: "Now", the countdown up to 8 hours ahead, then "Tomorrow" or
// the weekday.
QString whenText(SystemTime date, SystemTime now, const Calendar &calendar, const QLocale &locale);
// The hour and minutes, with AM/PM where the locale uses it.
QString timeText(SystemTime date, const Calendar &calendar, const QLocale &locale);
// When a recording was made: "Today at 9:05 AM", "Yesterday", "Mon, Mar 2".
QString dayText(SystemTime date, SystemTime now, const Calendar &calendar, const QLocale &locale);
// A meeting card's day: "Today", "Tomorrow" or the short weekday.
QString cardDay(SystemTime date, SystemTime now, const Calendar &calendar, const QLocale &locale);

// The service behind a meeting link ("Zoom", "Google Meet", "Murva"…), if known.
std::optional<QString> serviceName(const QUrl &link);
// Whether the link is a meeting room of the service itself.
bool isMurvaRoom(const QUrl &link);
// The join button's label for a meeting's link.
QString joinLabel(const std::optional<QUrl> &link);

QString guestCountText(int count);
// Service name and guest count joined with " · ", else "In Murva".
QString detailLine(const UpcomingMeeting &entry);
// At most two names, then "and N more" when the count says there are others.
QString guestLine(const QStringList &names, int count);
// Nothing for a meeting whose notes will not come.
std::optional<QString> notesChip(const std::optional<MeetingNotes> &notes);
QString weekSummary(const WeekCount &week);

// The avatar service's picture of an e-mail address, or nothing without "@".
std::optional<QUrl> avatarUrl(const QString &email);
// "AM" for "Ana Maria Lopez", "A" for "ana@example.com".
QString initials(const QString &name);

struct Pill {
    QString text;
    QColor tone;
};
Pill statusPill(const ModelPhase &phase, bool autoRecord);

} // namespace murva::HomeTexts
