#pragma once

#include "oauth/Discovery.h"
#include "oauth/Tokens.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>
#include <utility>

// The pure pieces of the OAuth 2.0 authorization-code flow with PKCE (RFC 7636) for a
// public client: reading the server's replies, building the authorization address,
// reading the redirect, and the PKCE values. None of them fail: input of the wrong
// shape gives nothing.
namespace murva::OAuth {

using FormPairs = QList<std::pair<QString, QString>>;

// The authorization-server metadata: all three endpoints, each an "http" or "https" URL.
std::optional<Discovery> discovery(const QByteArray &body);

// "client_id" of a registration reply, when it is a non-empty string.
std::optional<QString> clientId(const QByteArray &body);

// A token reply: "access_token" and "refresh_token" strings and "expires_in" a number;
// `expiresAt` is `now` + max(0, expires_in - 60) seconds.
std::optional<Tokens> tokens(const QByteArray &body, const QDateTime &now);

// Whether the server refused a refresh token for good (400 and 401).
bool refusedRefresh(int status);

// The authorization endpoint with its query replaced by response_type, client_id,
// redirect_uri, code_challenge, code_challenge_method and state, in that order.
QUrl authorizeURL(const Discovery &discovery, const QString &clientId, const QString &redirectUri,
                  const QString &challenge, const QString &state);

// The "code" of a redirect whose first "state" item equals `state`; nothing otherwise.
std::optional<QString> code(const QUrl &redirect, const QString &state);

// `bytes` bytes from the system's secure random source, in base64url. The code
// verifier takes 32 bytes (43 characters), the state 16 (22 characters).
QString randomToken(int bytes);

// The S256 code challenge: base64url of the SHA-256 digest of the verifier's UTF-8 bytes.
QString challenge(const QString &verifier);

// Base64 with "-" and "_" for "+" and "/", without padding (RFC 4648 section 5).
QString base64Url(const QByteArray &bytes);

// application/x-www-form-urlencoded body: names and values percent-encoded (only
// letters, digits and "-._~" stay), joined with "=" and "&" in the given order.
QByteArray form(const FormPairs &pairs);

} // namespace murva::OAuth
