// Opening at login: the autostart entry is a valid desktop entry that starts exactly this
// executable, however odd its path, and it comes and goes as asked.

#include "desktop/XdgAutostart.h"

#include "ScratchScripts.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace murva {
namespace {

// A desktop entry's keys as a desktop reads them, with the string escapes undone.
QMap<QString, QString> readEntry(const QByteArray &text)
{
    static const QMap<QChar, QChar> escapes{{'n', '\n'}, {'t', '\t'}, {'r', '\r'}, {'s', ' '}};
    QMap<QString, QString> keys;
    const QList<QByteArray> lines = text.split('\n');
    EXPECT_EQ(lines.value(0), "[Desktop Entry]");
    for (const QByteArray &line : lines.mid(1)) {
        const qsizetype equals = line.indexOf('=');
        const QString raw = QString::fromUtf8(line.mid(equals + 1));
        QString value;
        for (qsizetype i = 0; i < raw.size(); ++i) {
            if (raw[i] == '\\' && i + 1 < raw.size()) {
                ++i;
                value += escapes.value(raw[i], raw[i]);
            } else {
                value += raw[i];
            }
        }
        if (equals > 0) {
            keys.insert(QString::fromUtf8(line.left(equals)), value);
        }
    }
    return keys;
}

// An Exec value split into arguments: double-quoted parts with backslash escapes, "%%"
// a literal percent sign, any other field code refused.
QStringList execArguments(const QString &exec)
{
    QStringList arguments;
    QString current;
    bool inArgument = false, quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (c == '%') {
            EXPECT_EQ(exec.mid(++i, 1), "%") << "a field code in " << exec.toStdString();
            current += '%';
        } else if (quoted && c == '\\' && i + 1 < exec.size()) {
            current += exec[++i];
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ' ' && !quoted) {
            if (inArgument) {
                arguments << current;
            }
            current.clear();
            inArgument = false;
            continue;
        } else {
            current += c;
        }
        inArgument = true;
    }
    EXPECT_FALSE(quoted) << "unterminated quote in " << exec.toStdString();
    if (inArgument) {
        arguments << current;
    }
    return arguments;
}

TEST(XdgAutostart, RegisteringWritesAnEntryThatStartsThisExecutableAndUnregisteringRemovesIt)
{
    const QString executable = QStringLiteral("/opt/murva/bin/murva-recorder");
    XdgAutostart autostart(executable);
    ASSERT_EQ(QDir::cleanPath(autostart.entryPath()),
              QDir::cleanPath(qEnvironmentVariable("XDG_CONFIG_HOME") + "/autostart/murva-recorder.desktop"));
    const QString folder = QFileInfo(autostart.entryPath()).absolutePath();
    QDir(folder).removeRecursively();
    EXPECT_FALSE(autostart.registered());
    EXPECT_TRUE(autostart.unregisterAtLogin()) << "nothing to remove is no failure";

    ASSERT_TRUE(autostart.registerAtLogin()) << "creates the autostart folder";
    EXPECT_TRUE(autostart.registered());
    const auto keys = readEntry(test::readFile(autostart.entryPath()));
    EXPECT_EQ(keys.value("Type"), "Application");
    EXPECT_EQ(keys.value("Name"), "Murva Recorder");
    EXPECT_EQ(execArguments(keys.value("Exec")), QStringList{executable});
    EXPECT_EQ(keys.value("TryExec"), executable) << "a stale entry stays harmless";
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1) << "no temporary file left";

    EXPECT_TRUE(autostart.unregisterAtLogin());
    EXPECT_FALSE(QFile::exists(autostart.entryPath()));
    EXPECT_FALSE(autostart.registered());
    EXPECT_FALSE(XdgAutostart(QStringLiteral("murva-recorder")).registerAtLogin()) << "relative path";
}

// How each desktop leaves the entry after the user switched opening at login on or off.
// Each row registers again over the row before: registering switches an edited entry
// back on (else the rows that expect it on would see an earlier row's edit).
TEST(XdgAutostart, ReadsTheUsersChoiceAsEachDesktopWritesIt)
{
    struct State {
        const char *writer;
        std::optional<QByteArray> appended; // none: the file deleted
        bool registered;
    };
    const State states[] = {
        {"as written", QByteArray(), true},
        {"GNOME Tweaks, Plasma: deleted", std::nullopt, false},
        {"XFCE, LXQt", "Hidden=true\n", false},
        {"GNOME session settings, Cinnamon", "X-GNOME-Autostart-enabled=false\n", false},
        {"MATE", "X-MATE-Autostart-enabled=false\n", false},
        {"spaces around =", "Hidden = true\n", false},
        {"GLib boolean", "X-GNOME-Autostart-enabled=0\n", false},
        {"Hidden=false", "Hidden=false\n", true},
        {"another group", "[Desktop Action x]\nHidden=true\n", true},
    };
    QTemporaryDir config;
    for (const State &state : states) {
        XdgAutostart autostart(QStringLiteral("/usr/bin/murva-recorder"), config.path());
        ASSERT_TRUE(autostart.registerAtLogin());
        if (state.appended) {
            QFile entry(autostart.entryPath());
            ASSERT_TRUE(entry.open(QIODevice::Append));
            entry.write(*state.appended);
        } else {
            QFile::remove(autostart.entryPath());
        }
        EXPECT_EQ(autostart.registered(), state.registered) << state.writer;
    }
}

TEST(XdgAutostart, AFolderThatCannotBeWrittenShowsOff)
{
    QTemporaryDir config;
    QFile blocker(config.filePath(QStringLiteral("autostart")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)) << "a file where the folder should be";
    XdgAutostart autostart(QStringLiteral("/usr/bin/murva-recorder"), config.path());
    EXPECT_FALSE(autostart.registerAtLogin());
    EXPECT_FALSE(autostart.registered());
    EXPECT_FALSE(XdgAutostart(QString(), config.path()).registerAtLogin()) << "not an installed program";
}

TEST(XdgAutostart, AnOddPathSurvivesQuotingAndEscaping)
{
    QTemporaryDir config;
    for (const QString &path : {QStringLiteral("/home/ann/My Apps/murva-recorder"),
                                QStringLiteral("/tmp/$HOME/100% \"real\"/back\\slash/`tick`/murva"),
                                QStringLiteral("/tmp/new\nline;rm -rf ~/murva")}) {
        XdgAutostart autostart(path, config.path());
        ASSERT_TRUE(autostart.registerAtLogin());
        const QByteArray text = test::readFile(autostart.entryPath());
        EXPECT_EQ(text.count('\n'), readEntry(text).size() + 1) << "one key per line";
        EXPECT_EQ(execArguments(readEntry(text).value("Exec")), QStringList{path});
    }
}

} // namespace
} // namespace murva
