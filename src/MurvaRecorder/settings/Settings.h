#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace murva {

// The stored settings. Each read goes to the file, so a value changed by hand or by
// another instance shows at once; a value that is missing, unreadable or of the wrong
// type reads as its default.
class Settings {
public:
    static inline const QString autoRecordKey = QStringLiteral("autoRecord");
    static inline const QString recordScreenKey = QStringLiteral("recordScreen");
    static inline const QString languageKey = QStringLiteral("language");
    static inline const QString apiBaseKey = QStringLiteral("apiBase");
    static inline const QString skippedMeetingsKey = QStringLiteral("skippedMeetings");
    static inline const QString loginItemSetKey = QStringLiteral("loginItemSet");

    // Used when "apiBase" holds no usable http(s) address.
    static inline const QString builtInApiBase = QStringLiteral("https://api.murva.app");

    Settings();                            // the user's settings file
    explicit Settings(QString filePath);   // any other file (tests)

    // "$XDG_CONFIG_HOME/murva-recorder/settings.conf".
    static QString standardFilePath();
    const QString &filePath() const { return filePath_; }

    bool autoRecord() const;
    void setAutoRecord(bool on);
    bool recordScreen() const;
    void setRecordScreen(bool on);
    std::optional<QString> language() const;
    void setLanguage(const QString &code);
    QUrl apiBase() const; // never written by the program
    QStringList skippedMeetings() const;
    void setSkippedMeetings(const QStringList &keys);
    bool loginItemSet() const;
    void setLoginItemSet(bool on);

    // "screenChecked-" + version: whether the screen capture was proven to work in this version.
    static QString screenCheckedKey();
    bool screenChecked() const;
    void setScreenChecked(bool checked);

    // The raw typed reads, for keys without their own accessor.
    bool boolValue(const QString &key, bool fallback) const;
    std::optional<QString> stringValue(const QString &key) const;

    // Whether a text is an address the service may be reached at.
    static bool isUsableApiBase(const QUrl &url);

private:
    void setValue(const QString &key, const QVariant &value);

    QString filePath_;
};

} // namespace murva
