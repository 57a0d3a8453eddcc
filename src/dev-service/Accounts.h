#pragma once

#include <QHash>
#include <QString>

namespace murva::devservice {

// Milliseconds on the monotonic clock; all expiries are measured on it.
qint64 nowMs();

// A fresh unguessable text: `bytes` random bytes from the system's secure source,
// base64url without padding.
QString newSecret(int bytes = 32);

struct User {
    QString email; // in lower case: the user's identity
    QString name;
};

// The users and the bearer tokens that the API accepts.
class Accounts {
public:
    // The user with that e-mail address, made when new. An empty name leaves a known
    // user's name as it is.
    const User &user(const QString &email, const QString &name = {});
    // A new bearer token for that user; lifetimeMs < 0: it never expires.
    QString issueToken(const QString &email, qint64 lifetimeMs);
    // The user a token belongs to, or null when the token is unknown or expired.
    const User *userForToken(const QString &token) const;
    void clear();

private:
    struct Grant {
        QString email;
        qint64 expiresAtMs = -1;
    };
    QHash<QString, User> users_;
    QHash<QString, Grant> tokens_;
};

} // namespace murva::devservice
