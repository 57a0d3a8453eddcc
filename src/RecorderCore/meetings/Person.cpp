#include "meetings/Person.h"

#include "support/JsonShapes.h"

#include <algorithm>

namespace murva {

namespace {

// Line breaks do not count as blanks here: a name of only line breaks is kept as given.
bool holdsMoreThanBlanks(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c != u' ' && c != u'\t'; });
}

} // namespace

QString Person::shown() const
{
    return name.value_or(email);
}

std::optional<Person> Person::of(const QJsonObject &object)
{
    const std::optional<QString> email = json::stringOf(object.value(QLatin1String("email")));
    if (!email || !email->contains(u'@'))
        return std::nullopt;
    Person person;
    person.email = email->toLower();
    const std::optional<QString> name = json::stringOf(object.value(QLatin1String("name")));
    if (name && holdsMoreThanBlanks(*name))
        person.name = name;
    person.photo = json::urlOf(object.value(QLatin1String("photo")), {u"https"});
    return person;
}

size_t qHash(const Person &person, size_t salt) noexcept
{
    return qHashMulti(salt, person.email, person.name.has_value(), person.name.value_or(QString()),
                      person.photo.has_value(), person.photo.value_or(QUrl()));
}

} // namespace murva
