#pragma once

#include "ServiceState.h"

#include <QStringList>

namespace murva::devservice {

// The OAuth 2.0 authorization server: metadata (RFC 8414), dynamic client registration
// (RFC 7591), the authorization endpoint, which approves at once, with PKCE S256
// (RFC 7636) required, and the token endpoint for authorization codes and refresh tokens
// (RFC 6749), rotating the refresh token on every refresh.
class AuthorizationServer {
public:
    explicit AuthorizationServer(ServiceState &state);

    static bool owns(const QString &path);
    HttpResponse handle(const HttpRequest &request);

    // The knobs of the control API; false with a reason for an unknown or mistyped one.
    bool setKnobs(const QJsonObject &knobs, QString *error);
    void reset();

private:
    struct Client {
        QString name;
        QStringList redirectUris;
    };
    struct Code {
        QString clientId;
        QString redirectUri;
        QString challenge;
        QString email;
        qint64 expiresAtMs = 0;
    };
    struct Refresh {
        QString clientId;
        QString email;
    };
    struct Knobs {
        double accessTokenLifetimeSec = 3600;
        bool refuseRefresh = false;
        bool failToken500 = false;
        bool denyAuthorize = false;
        QString userEmail = QStringLiteral("host@example.com");
        QString userName = QStringLiteral("Host");
    };

    HttpResponse metadata() const;
    HttpResponse registerClient(const HttpRequest &request);
    HttpResponse authorize(const HttpRequest &request);
    HttpResponse token(const HttpRequest &request);
    HttpResponse exchangeCode(const QHash<QString, QString> &form);
    HttpResponse refresh(const QHash<QString, QString> &form);
    HttpResponse issueTokens(const QString &clientId, const QString &email);
    QString endpoint(const QString &path) const;

    ServiceState &state_;
    QHash<QString, Client> clients_;
    QHash<QString, Code> codes_;
    QHash<QString, Refresh> refreshTokens_;
    Knobs knobs_;
};

} // namespace murva::devservice
