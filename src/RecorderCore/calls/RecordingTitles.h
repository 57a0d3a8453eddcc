#pragma once

#include "meetings/NextMeeting.h"
#include "recordings/RecordDate.h"
#include "recordings/Recording.h"

#include <QHash>
#include <QString>
#include <QUrl>

#include <optional>
#include <vector>

namespace murva {

// Whether `name` is one of the generic titles given to calls that could not be named
// ("Zoom call", "Appel", "Impromptu call", …), ignoring case and surrounding blanks.
bool isRecorderName(const QString &name);

// The recordings whose titles change now that the service has reported `titles` (meeting
// identifier → title), already renamed, in input order. Only recordings the service
// knows (with `begun`) are considered; a generic title with no title from the service
// becomes the impromptu title of `locale` ("fr", "en", …).
std::vector<Recording> renamed(const std::vector<Recording> &recordings,
                               const QHash<QString, QString> &titles, const QString &locale);

// The title of a new recording: the next meeting's when the call is that meeting,
// otherwise the impromptu title of `locale`.
QString callTitle(SystemTime at, const std::optional<QUrl> &joinUrl,
                  const std::optional<NextMeeting> &meeting, const QString &locale);

} // namespace murva
