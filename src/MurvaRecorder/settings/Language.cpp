#include "settings/Language.h"

#include "settings/Settings.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QMutex>

namespace murva::Language {
namespace {

using Table = QHash<QString, QString>;

Table load(const QString &code)
{
    QFile file(QStringLiteral(":/lang/%1.json").arg(code));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    Table table;
    const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        table.insert(it.key(), it.value().toString());
    }
    return table;
}

const Table &table(const QString &code)
{
    static QMutex mutex;
    static QHash<QString, Table> tables;
    QMutexLocker lock(&mutex);
    auto it = tables.find(code);
    if (it == tables.end()) {
        it = tables.insert(code, load(code));
    }
    return *it; // entries are never removed, so the reference stays valid
}

QString preferredSystemLanguage()
{
    const QStringList languages = QLocale::system().uiLanguages();
    if (languages.isEmpty()) {
        return {};
    }
    // "fr-CA" → "fr"
    return languages.first().section(QLatin1Char('-'), 0, 0).toLower();
}

} // namespace

const QStringList &supported()
{
    static const QStringList codes{QStringLiteral("en"), QStringLiteral("fr")};
    return codes;
}

QString current()
{
    if (const auto chosen = Settings().language(); chosen && supported().contains(*chosen)) {
        return *chosen;
    }
    if (const QString system = preferredSystemLanguage(); supported().contains(system)) {
        return system;
    }
    return QStringLiteral("en");
}

QString text(const QString &key, const QString &code)
{
    const QString language = supported().contains(code) ? code : QStringLiteral("en");
    if (const auto found = table(language).constFind(key); found != table(language).cend()) {
        return *found;
    }
    return table(QStringLiteral("en")).value(key, key);
}

QString text(const QString &key, const QVariantList &arguments)
{
    return fill(text(key, current()), arguments);
}

QString fill(const QString &pattern, const QVariantList &arguments)
{
    QString out;
    out.reserve(pattern.size());
    qsizetype next = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const bool placeholder = pattern[i] == QLatin1Char('%') && i + 1 < pattern.size()
            && (pattern[i + 1] == QLatin1Char('@') || pattern[i + 1] == QLatin1Char('d'));
        if (!placeholder || next >= arguments.size()) {
            out.append(pattern[i]);
            continue;
        }
        const QVariant &argument = arguments[next++];
        out.append(pattern[i + 1] == QLatin1Char('d') ? QString::number(argument.toLongLong())
                                                      : argument.toString());
        ++i;
    }
    return out;
}

} // namespace murva::Language
