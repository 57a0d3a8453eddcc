// Opening at login: the autostart entry is a valid desktop entry that starts exactly this
// executable, however odd its path, and it comes and goes as asked.

#include "desktop/XdgAutostart.h"

#include "ScratchScripts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
    const auto keys = readEntry(contents(autostart.entryPath()));
    EXPECT_EQ(keys.value("Type"), "Application");
    EXPECT_EQ(keys.value("Name"), "Murva Recorder");
    EXPECT_EQ(execArguments(keys.value("Exec")), QStringList{executable});
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1) << "no temporary file left";

    // A user switches an entry off by editing it; registering again switches it back on.
    QFile entry(autostart.entryPath());
    ASSERT_TRUE(entry.open(QIODevice::Append));
    entry.write("Hidden=true\n");
    entry.close();
    EXPECT_FALSE(autostart.registered());
    ASSERT_TRUE(autostart.registerAtLogin());
    EXPECT_TRUE(autostart.registered());

    EXPECT_TRUE(autostart.unregisterAtLogin());
    EXPECT_FALSE(QFile::exists(autostart.entryPath()));
    EXPECT_FALSE(autostart.registered());
    EXPECT_FALSE(XdgAutostart(QStringLiteral("murva-recorder")).registerAtLogin()) << "relative path";
}

TEST(XdgAutostart, AnOddPathSurvivesQuotingAndEscaping)
{
    QTemporaryDir config;
    for (const QString &path : {QStringLiteral("/home/ann/My Apps/murva-recorder"),
                                QStringLiteral("/tmp/$HOME/100% \"real\"/back\\slash/`tick`/murva"),
                                QStringLiteral("/tmp/new\nline;rm -rf ~/murva")}) {
        XdgAutostart autostart(path, config.path());
        ASSERT_TRUE(autostart.registerAtLogin());
        const QByteArray text = contents(autostart.entryPath());
        EXPECT_EQ(text.count('\n'), readEntry(text).size() + 1) << "one key per line";
        EXPECT_EQ(execArguments(readEntry(text).value("Exec")), QStringList{path});
    }
}

} // namespace
} // namespace murva
