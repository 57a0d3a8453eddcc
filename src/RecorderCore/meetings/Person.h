#pragma once

#include <QHashFunctions>
#include <QJsonObject>
#include <QString>
#include <QUrl>

#include <optional>

namespace murva {

// One participant of a meeting.
struct Person {
    QString email;               // lower case, always holds "@"
    std::optional<QString> name; // absent when blank
    std::optional<QUrl> photo;   // https only

    // The name when there is one, otherwise the e-mail address.
    QString shown() const;

    // Nothing unless "email" is a string holding "@". A blank "name" (spaces and tabs
    // only) is absent; a "photo" that is not an https address is dropped.
    static std::optional<Person> of(const QJsonObject &object);

    bool operator==(const Person &) const = default;
};

size_t qHash(const Person &person, size_t salt = 0) noexcept;

} // namespace murva
