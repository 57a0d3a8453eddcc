#include "accounts/SavedAccounts.h"

#include "support/JsonShapes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace murva {

const AccountConnection *SavedAccounts::find(const QString &id) const
{
    for (const AccountConnection &connection : connections) {
        if (connection.id == id) {
            return &connection;
        }
    }
    return nullptr;
}

AccountConnection *SavedAccounts::find(const QString &id)
{
    for (AccountConnection &connection : connections) {
        if (connection.id == id) {
            return &connection;
        }
    }
    return nullptr;
}

namespace AccountsFormat {
namespace {

QJsonObject connectionObject(const AccountConnection &connection)
{
    QJsonObject object{
        {QStringLiteral("id"), connection.id},
        {QStringLiteral("clientId"), connection.clientId},
        {QStringLiteral("tokens"), connection.tokens.toJson()},
    };
    if (connection.me) {
        object.insert(QStringLiteral("me"), connection.me->toJson());
    }
    return object;
}

// Strict, like the decoder that wrote it: one malformed account makes the whole item
// unreadable rather than silently dropping that account.
std::optional<AccountConnection> connectionFrom(const QJsonValue &value)
{
    if (!value.isObject()) {
        return std::nullopt;
    }
    const QJsonObject object = value.toObject();
    const std::optional<QString> id = json::stringOf(object.value(QStringLiteral("id")));
    const std::optional<QString> clientId = json::stringOf(object.value(QStringLiteral("clientId")));
    std::optional<Tokens> tokens = Tokens::fromJson(object.value(QStringLiteral("tokens")));
    if (!id || !clientId || !tokens) {
        return std::nullopt;
    }
    AccountConnection connection{*id, *clientId, *tokens, std::nullopt};
    const QJsonValue me = object.value(QStringLiteral("me"));
    if (!me.isUndefined() && !me.isNull()) {
        if (!me.isObject()) {
            return std::nullopt;
        }
        connection.me = Me::fromJson(me.toObject());
        if (!connection.me) {
            return std::nullopt;
        }
    }
    return connection;
}

} // namespace

QByteArray encode(const SavedAccounts &saved)
{
    QJsonArray connections;
    for (const AccountConnection &connection : saved.connections) {
        connections.append(connectionObject(connection));
    }
    QJsonObject object{{QStringLiteral("connections"), connections}};
    if (saved.active) {
        object.insert(QStringLiteral("active"), *saved.active);
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<SavedAccounts> decodeSaved(const QByteArray &data)
{
    const std::optional<QJsonObject> object = json::objectOf(data);
    if (!object) {
        return std::nullopt;
    }
    const QJsonValue connections = object->value(QStringLiteral("connections"));
    const QJsonValue active = object->value(QStringLiteral("active"));
    if (!connections.isArray() || !(active.isUndefined() || active.isNull() || active.isString())) {
        return std::nullopt;
    }
    SavedAccounts saved;
    if (active.isString()) {
        saved.active = active.toString();
    }
    for (const QJsonValue &value : connections.toArray()) {
        std::optional<AccountConnection> connection = connectionFrom(value);
        if (!connection) {
            return std::nullopt;
        }
        saved.connections.append(*connection);
    }
    return saved;
}

std::optional<LegacyAccount> decodeLegacy(const QByteArray &data)
{
    const std::optional<QJsonObject> object = json::objectOf(data);
    if (!object) {
        return std::nullopt;
    }
    const std::optional<QString> clientId = json::stringOf(object->value(QStringLiteral("clientId")));
    std::optional<Tokens> tokens = Tokens::fromJson(object->value(QStringLiteral("tokens")));
    if (!clientId || !tokens) {
        return std::nullopt;
    }
    return LegacyAccount{*clientId, *tokens};
}

std::optional<SavedAccounts> decode(const QByteArray &data)
{
    if (std::optional<SavedAccounts> saved = decodeSaved(data)) {
        return saved;
    }
    if (std::optional<LegacyAccount> legacy = decodeLegacy(data)) {
        const QString first = QStringLiteral("first");
        return SavedAccounts{first, {AccountConnection{first, legacy->clientId, legacy->tokens, std::nullopt}}};
    }
    return std::nullopt;
}

} // namespace AccountsFormat
} // namespace murva
