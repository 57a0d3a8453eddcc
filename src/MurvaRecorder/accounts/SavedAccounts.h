#pragma once

#include "api/Me.h"
#include "oauth/Tokens.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace murva {

// One connected account of the service.
struct AccountConnection {
    QString id;       // a random UUID, upper case; "first" for an account of the old format
    QString clientId; // the OAuth client registered for this account
    Tokens tokens;
    std::optional<Me> me; // who the account belongs to, once fetched

    bool operator==(const AccountConnection &) const = default;
};

// All accounts, in the order they were connected, and the active one.
struct SavedAccounts {
    std::optional<QString> active;
    QList<AccountConnection> connections;

    bool operator==(const SavedAccounts &) const = default;

    const AccountConnection *find(const QString &id) const;
    AccountConnection *find(const QString &id);
};

// The single-account item of an older version.
struct LegacyAccount {
    QString clientId;
    Tokens tokens;
};

// The keychain item's JSON. Dates (the tokens' "expiresAt") are seconds since
// 2001-01-01 00:00:00 UTC.
namespace AccountsFormat {

QByteArray encode(const SavedAccounts &saved);
std::optional<SavedAccounts> decodeSaved(const QByteArray &data);
std::optional<LegacyAccount> decodeLegacy(const QByteArray &data);

// The current format, else the old one as a single active account "first", else nothing.
std::optional<SavedAccounts> decode(const QByteArray &data);

} // namespace AccountsFormat

} // namespace murva
