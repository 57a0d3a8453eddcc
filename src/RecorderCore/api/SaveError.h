#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace murva {

// Why a recording was not saved. Thrown as a value of this enumeration (`throw
// SaveError::offline`) and shown to the user through the text "error." + its name.
enum class SaveError {
    signIn,
    appNeedsUpdate,
    noCredits,
    tooLong,
    tooBig,
    offline,
    notUploaded,
    notOnTeam,
    failed,
};

inline constexpr std::array allSaveErrors{
    SaveError::signIn,  SaveError::appNeedsUpdate, SaveError::noCredits,
    SaveError::tooLong, SaveError::tooBig,         SaveError::offline,
    SaveError::notUploaded, SaveError::notOnTeam,  SaveError::failed,
};

// The case name, such as "notOnTeam".
QString rawValue(SaveError error);

// Exact match on the nine names; nothing for any other text.
std::optional<SaveError> saveErrorFromRawValue(QStringView raw);

// The key of the user-visible text: "error." + the name.
QString textKey(SaveError error);

} // namespace murva
