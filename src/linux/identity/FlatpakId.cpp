#include "identity/FlatpakId.h"

#include "KeyFileEntries.h"

#include <QByteArrayList>
#include <QRegularExpression>

namespace murva::FlatpakId {
namespace {

constexpr QByteArrayView kScopePrefix = "app-flatpak-";

// systemd escapes bytes of unit names as "\xNN" (a "-" inside the id becomes "\x2d").
QByteArray unescapeUnitName(QByteArrayView escaped)
{
    QByteArray plain;
    plain.reserve(escaped.size());
    for (qsizetype at = 0; at < escaped.size(); ++at) {
        if (escaped[at] == '\\' && at + 3 < escaped.size() && escaped[at + 1] == 'x') {
            bool ok = false;
            const int byte = escaped.sliced(at + 2, 2).toByteArray().toInt(&ok, 16);
            if (ok) {
                plain.append(char(byte));
                at += 3;
                continue;
            }
        }
        plain.append(escaped[at]);
    }
    return plain;
}

// "app-flatpak-org.example.App-1234.scope" → "org.example.App"; nothing for other names.
std::optional<QString> idFromScopeName(QByteArrayView unit)
{
    if (!unit.startsWith(kScopePrefix) || !unit.endsWith(".scope")) {
        return std::nullopt;
    }
    QByteArrayView rest = unit.sliced(kScopePrefix.size());
    rest.chop(qsizetype(sizeof(".scope") - 1));
    const qsizetype lastDash = rest.lastIndexOf('-');
    if (lastDash <= 0) {
        return std::nullopt;
    }
    const QString id = QString::fromUtf8(unescapeUnitName(rest.first(lastDash)));
    if (!isApplicationId(id)) {
        return std::nullopt;
    }
    return id;
}

} // namespace

bool isApplicationId(const QString &id)
{
    static const QRegularExpression shape(QStringLiteral("^[A-Za-z0-9_-]+(\\.[A-Za-z0-9_-]+)+$"));
    return shape.match(id).hasMatch();
}

std::optional<QString> fromCgroup(QByteArrayView cgroupText)
{
    for (const QByteArray &line : cgroupText.toByteArray().split('\n')) {
        // "hierarchy:controllers:path"; only the path is of interest.
        const qsizetype firstColon = line.indexOf(':');
        const qsizetype secondColon = firstColon < 0 ? -1 : line.indexOf(':', firstColon + 1);
        if (secondColon < 0) {
            continue;
        }
        for (const QByteArray &unit : line.mid(secondColon + 1).split('/')) {
            if (std::optional<QString> id = idFromScopeName(unit)) {
                return id;
            }
        }
    }
    return std::nullopt;
}

std::optional<QString> fromFlatpakInfo(QByteArrayView infoText)
{
    for (const KeyFileEntry &entry : keyFileEntries(infoText)) {
        if (entry.group == QLatin1String("Application") && entry.key == QLatin1String("name")) {
            return isApplicationId(entry.value) ? std::optional<QString>(entry.value) : std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace murva::FlatpakId
