#include "calls/RecordingTitles.h"

#include <QRegularExpression>

namespace murva {

namespace {

// Spaces and tabs only: the generic names never span lines.
QStringView trimmedBlanks(QStringView text)
{
    const auto isBlank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.mid(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

const QRegularExpression &recorderNamePattern()
{
    static const QString apps = QStringLiteral("(?:zoom|google meet|teams|webex|facetime|whereby)");
    static const QRegularExpression pattern(
        QStringLiteral("^(?:") + apps + QStringLiteral(" call|call|slack huddle|huddle slack|appel(?: ") + apps +
            QStringLiteral(")?|impromptu call|appel impromptu)$"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

// Only the bare language "fr" is French here; "fr-CA" and the like get the English title,
// as the service itself only knows "fr" and "en".
QString impromptuTitle(const QString &locale)
{
    return locale == QLatin1String("fr") ? QStringLiteral("Appel impromptu") : QStringLiteral("Impromptu call");
}

} // namespace

bool isRecorderName(const QString &name)
{
    return recorderNamePattern().match(trimmedBlanks(name).toString()).hasMatch();
}

std::vector<Recording> renamed(const std::vector<Recording> &recordings, const QHash<QString, QString> &titles,
                               const QString &locale)
{
    std::vector<Recording> changed;
    for (const Recording &recording : recordings) {
        if (!recording.begun)
            continue;
        const auto fromService = titles.constFind(recording.begun->meetingId);
        QString title = recording.title;
        if (fromService != titles.constEnd())
            title = *fromService;
        else if (isRecorderName(recording.title))
            title = impromptuTitle(locale);
        if (title == recording.title)
            continue;
        Recording renamedRecording = recording;
        renamedRecording.title = title;
        changed.push_back(std::move(renamedRecording));
    }
    return changed;
}

QString callTitle(SystemTime at, const std::optional<QUrl> &joinUrl, const std::optional<NextMeeting> &meeting,
                  const QString &locale)
{
    if (meeting && meeting->matches(at, joinUrl))
        return meeting->title;
    return impromptuTitle(locale);
}

} // namespace murva
