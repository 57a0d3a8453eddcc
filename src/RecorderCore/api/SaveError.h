#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QString>
#include <QStringView>

#include <array>
#include <exception>
#include <optional>
#include <stdexcept>

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

// A transfer that ended without an HTTP reply, thrown by code that talks to the network
// outside RecorderAPI (the OAuth requests of the accounts) so that saveErrorOf can still
// tell a missing network from any other failure.
class NetworkFailure : public std::runtime_error {
public:
    explicit NetworkFailure(QNetworkReply::NetworkError code, const QString &text = {});
    QNetworkReply::NetworkError code() const { return code_; }

private:
    QNetworkReply::NetworkError code_;
};

// What an HTTP status and reply body mean; nothing means success. 401 is always
// `signIn`; a 2xx succeeds unless the body is an object with "ok": false; otherwise the
// body's "error" names the kind (any name but "offline", which only the client decides),
// else `failed`. Status 0 stands for a reply that is not HTTP.
std::optional<SaveError> saveErrorOf(int status, const QByteArray &body);

// What a transfer that got no reply means: `offline` when the network itself is missing
// or was lost, `failed` otherwise (the codes are listed in SaveError.cpp).
SaveError saveErrorOf(QNetworkReply::NetworkError error);

// What any thrown error means: a SaveError unchanged, a NetworkFailure by its code,
// anything else `failed`.
SaveError saveErrorOf(const std::exception_ptr &error);

} // namespace murva
