#include "settings/Language.h"

#include "settings/Settings.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

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

// Every table is loaded at first use and never changed after, so references into it
// stay valid on any thread.
const Table &table(const QString &code)
{
    static const QHash<QString, Table> tables = [] {
        QHash<QString, Table> loaded;
        for (const QString &supportedCode : supported()) {
            loaded.insert(supportedCode, load(supportedCode));
        }
        return loaded;
    }();
    static const Table none;
    const auto found = tables.constFind(code);
    return found == tables.cend() ? none : *found;
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
