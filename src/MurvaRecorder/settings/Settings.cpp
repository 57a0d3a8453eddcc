#include "settings/Settings.h"

#include "support/Version.h"
#include "support/UserFolders.h"

#include <QSettings>

namespace murva {

Settings::Settings()
    : Settings(standardFilePath())
{
}

Settings::Settings(QString filePath)
    : filePath_(std::move(filePath))
{
}

QString Settings::standardFilePath()
{
    return UserFolders::configHome() + "/murva-recorder/settings.conf";
}

QString Settings::screenCheckedKey()
{
    return QStringLiteral("screenChecked-") + QString::fromLatin1(buildVersion());
}

bool Settings::boolValue(const QString &key, bool fallback) const
{
    const QSettings file(filePath_, QSettings::IniFormat);
    const QVariant value = file.value(key);
    if (value.typeId() == QMetaType::Bool) {
        return value.toBool();
    }
    if (value.typeId() != QMetaType::QString) {
        return fallback;
    }
    // An ini file holds text; QVariant would read any text but "false" and "0" as true.
    const QString text = value.toString().trimmed().toLower();
    if (text == "true" || text == "1") {
        return true;
    }
    if (text == "false" || text == "0") {
        return false;
    }
    return fallback;
}

std::optional<QString> Settings::stringValue(const QString &key) const
{
    const QSettings file(filePath_, QSettings::IniFormat);
    const QVariant value = file.value(key);
    if (value.typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return value.toString();
}

void Settings::setValue(const QString &key, const QVariant &value)
{
    QSettings file(filePath_, QSettings::IniFormat);
    file.setValue(key, value);
    file.sync();
}

bool Settings::autoRecord() const { return boolValue(autoRecordKey, true); }
void Settings::setAutoRecord(bool on) { setValue(autoRecordKey, on); }
bool Settings::recordScreen() const { return boolValue(recordScreenKey, true); }
void Settings::setRecordScreen(bool on) { setValue(recordScreenKey, on); }
bool Settings::loginItemSet() const { return boolValue(loginItemSetKey, false); }
void Settings::setLoginItemSet(bool on) { setValue(loginItemSetKey, on); }
bool Settings::screenChecked() const { return boolValue(screenCheckedKey(), false); }
void Settings::setScreenChecked(bool checked) { setValue(screenCheckedKey(), checked); }

std::optional<QString> Settings::language() const
{
    return stringValue(languageKey);
}

void Settings::setLanguage(const QString &code)
{
    setValue(languageKey, code);
}

bool Settings::isUsableApiBase(const QUrl &url)
{
    return url.isValid() && (url.scheme() == "https" || url.scheme() == "http") && !url.host().isEmpty()
        && url.userInfo().isEmpty();
}

QUrl Settings::apiBase() const
{
    if (const auto text = stringValue(apiBaseKey)) {
        const QUrl url(text->trimmed(), QUrl::StrictMode);
        if (isUsableApiBase(url)) {
            return url;
        }
    }
    return QUrl(builtInApiBase);
}

QStringList Settings::skippedMeetings() const
{
    const QSettings file(filePath_, QSettings::IniFormat);
    const QVariant value = file.value(skippedMeetingsKey);
    // An ini file gives back a one-element list as plain text.
    switch (value.typeId()) {
    case QMetaType::QStringList:
        return value.toStringList();
    case QMetaType::QString:
        return value.toString().isEmpty() ? QStringList{} : QStringList{value.toString()};
    default:
        return {};
    }
}

void Settings::setSkippedMeetings(const QStringList &keys)
{
    setValue(skippedMeetingsKey, keys);
}

} // namespace murva
