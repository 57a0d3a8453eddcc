#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QUrl>

#include <optional>

namespace murva {

// The signed-in user as the service describes them ("/recorder/me").
struct Me {
    QString app; // the name the account is shown under
    std::optional<QString> you;
    std::optional<QString> email;
    std::optional<QUrl> image;       // https only
    std::optional<QUrl> meetingsUrl; // https only: the base of the user's meeting pages
    QString locale = QStringLiteral("en"); // "fr" or "en"

    bool operator==(const Me &) const = default;

    // The service's reply. Needs a string "app"; other fields are dropped when they have
    // the wrong type (and the two addresses when their scheme is not exactly "https");
    // "locale" is "fr" only for the text "fr", else "en".
    static std::optional<Me> of(const QByteArray &data);

    // `meetingsUrl` with `id` appended as one more path component.
    std::optional<QUrl> meetingURL(const QString &id) const;

    // The form stored inside an account record: "app" and "locale" always, the others
    // only when present, addresses as their absolute text.
    QJsonObject toJson() const;
    // Reads the stored form back; "app" and "locale" are required.
    static std::optional<Me> fromJson(const QJsonObject &object);
};

} // namespace murva
