#include "browsers/SessionTabs.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <optional>

namespace murva::SessionTabs {
namespace {

// A tab's "index" counts its history entries from 1. Firefox itself falls back to the
// newest entry when the index is missing and keeps it within the history.
std::optional<QString> currentAddress(const QJsonObject &tab)
{
    const QJsonArray entries = tab.value(QLatin1String("entries")).toArray();
    if (entries.isEmpty()) {
        return std::nullopt;
    }
    const qsizetype index = tab.value(QLatin1String("index")).toInteger(0);
    const qsizetype position = std::clamp<qsizetype>((index > 0 ? index : entries.size()) - 1, 0, entries.size() - 1);
    const QString address = entries.at(position).toObject().value(QLatin1String("url")).toString();
    if (address.isEmpty()) {
        return std::nullopt;
    }
    return address;
}

// A window's "selected" counts its tabs from 1.
std::optional<QString> selectedAddress(const QJsonObject &window)
{
    const QJsonArray tabs = window.value(QLatin1String("tabs")).toArray();
    const qint64 selected = window.value(QLatin1String("selected")).toInteger(1);
    if (selected < 1 || selected > tabs.size()) {
        return std::nullopt;
    }
    return currentAddress(tabs.at(selected - 1).toObject());
}

} // namespace

QStringList selectedAddresses(const QByteArray &sessionJson)
{
    QJsonParseError error;
    const QJsonDocument session = QJsonDocument::fromJson(sessionJson, &error);
    if (error.error != QJsonParseError::NoError || !session.isObject()) {
        return {};
    }
    QStringList addresses;
    for (const QJsonValue &window : session.object().value(QLatin1String("windows")).toArray()) {
        if (std::optional<QString> address = selectedAddress(window.toObject())) {
            addresses.append(*address);
        }
    }
    return addresses;
}

} // namespace murva::SessionTabs
