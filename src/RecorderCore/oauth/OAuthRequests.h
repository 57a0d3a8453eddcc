#pragma once

#include "oauth/Discovery.h"
#include "oauth/OAuth.h"

#include <QByteArray>
#include <QCoroTask>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;

// The three requests of the sign-in and of a refresh, sent through the caller's HTTP
// client (which must outlive the task). Transport failures (no HTTP reply at all) are
// thrown as `SaveError::offline` when the network or the host cannot be reached, and as
// `SaveError::failed` otherwise; a reply with any HTTP status is not a failure here.
namespace murva::OAuth {

// A token endpoint's answer: its body and HTTP status.
struct TokenReply {
    QByteArray body;
    int status = 0;
};

// The metadata address: `apiBase` with "/.well-known/oauth-authorization-server"
// appended as a path component.
QUrl discoveryURL(const QUrl &apiBase);

// GET of the metadata; an unreadable body throws `SaveError::failed` (the status is not
// looked at).
QCoro::Task<Discovery> fetchDiscovery(QNetworkAccessManager &network, const QUrl &apiBase);

// Dynamic client registration (RFC 7591) of a public client with one redirect URI:
// the new client id; an unreadable body throws `SaveError::failed`.
QCoro::Task<QString> registerClient(QNetworkAccessManager &network, const Discovery &discovery,
                                    const QString &clientName, const QString &redirectUri);

// A form POST to the token endpoint, 60-s time-out.
QCoro::Task<TokenReply> requestToken(QNetworkAccessManager &network, const QUrl &tokenEndpoint,
                                     const FormPairs &pairs);

// The authorization-code exchange: grant_type, code, code_verifier, redirect_uri, client_id.
FormPairs codeExchangePairs(const QString &code, const QString &verifier, const QString &redirectUri,
                            const QString &clientId);
// The refresh: grant_type, refresh_token, client_id.
FormPairs refreshPairs(const QString &refreshToken, const QString &clientId);

QCoro::Task<TokenReply> exchangeCode(QNetworkAccessManager &network, const Discovery &discovery,
                                     const QString &code, const QString &verifier,
                                     const QString &redirectUri, const QString &clientId);
QCoro::Task<TokenReply> refresh(QNetworkAccessManager &network, const Discovery &discovery,
                                const QString &refreshToken, const QString &clientId);

} // namespace murva::OAuth
