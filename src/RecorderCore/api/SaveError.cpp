#include "api/SaveError.h"

namespace murva {

QString rawValue(SaveError error)
{
    switch (error) {
    case SaveError::signIn: return QStringLiteral("signIn");
    case SaveError::appNeedsUpdate: return QStringLiteral("appNeedsUpdate");
    case SaveError::noCredits: return QStringLiteral("noCredits");
    case SaveError::tooLong: return QStringLiteral("tooLong");
    case SaveError::tooBig: return QStringLiteral("tooBig");
    case SaveError::offline: return QStringLiteral("offline");
    case SaveError::notUploaded: return QStringLiteral("notUploaded");
    case SaveError::notOnTeam: return QStringLiteral("notOnTeam");
    case SaveError::failed: return QStringLiteral("failed");
    }
    return QStringLiteral("failed");
}

std::optional<SaveError> saveErrorFromRawValue(QStringView raw)
{
    for (SaveError error : allSaveErrors) {
        if (rawValue(error) == raw) {
            return error;
        }
    }
    return std::nullopt;
}

QString textKey(SaveError error)
{
    return QStringLiteral("error.") + rawValue(error);
}

} // namespace murva
