#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QRegularExpressionMatch>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace murva::test {

// One user of murva-recorder: private home and XDG folders, a settings file naming the
// service, and a BROWSER that completes the sign-in without a person. Each launch() is a
// new process on the same folders, like starting the app again. The headless app by
// default; the desktop app writes its lines only to its log file, which is then what is
// read; a command (--self-test, --list-windows) runs with just the arguments given.
class RecorderRun {
public:
    enum class Mode { headless, desktop, command };

    explicit RecorderRun(const QUrl &apiBase = {});
    ~RecorderRun();

    RecorderRun(const RecorderRun &) = delete;
    RecorderRun &operator=(const RecorderRun &) = delete;

    // Changes only "apiBase" in the settings, keeping what the recorder wrote there.
    void setApiBase(const QUrl &apiBase);

    // For the launches from now on: what runs, and a variable of the environment
    // (DISPLAY, DBUS_SESSION_BUS_ADDRESS) set, or removed when empty.
    void setMode(Mode mode) { mode_ = mode; }
    void setEnvironment(const QString &name, const QString &value);

    // Starts the recorder; a running one is killed first.
    void launch(const QStringList &extraArguments = {});
    // Launches with --connect and waits until it is signed in and has checked the screen,
    // so that a call from now on is recorded. Returns the connected account's id.
    QString launchAndSignIn();
    // Launches signed in from an earlier run; waits for the sign-in line.
    bool launchSignedIn();

    // Reads output until a line matches `pattern` (a regular expression searched in the
    // line) and returns the first such line of this launch; nothing if the time ran out
    // or the process ended first.
    std::optional<QRegularExpressionMatch> waitForLine(const QString &pattern, double limitSec);
    // Whether any line of this launch so far matches.
    bool saw(const QString &pattern) const;
    // Keeps reading output until `condition` holds (checked every 100 ms); false when the
    // time ran out. For what the recorder does just after a line it printed.
    bool waitUntil(const std::function<bool()> &condition, double limitSec);
    // Keeps reading output for a while (for waits with no line to wait for).
    void keepReading(double seconds);

    // Another process on the same folders next to the running one (a second launch); it
    // is killed at the end. Its log lines are read with the first's.
    QProcess &launchAlongside(const QStringList &arguments = {});

    void terminate();
    void kill();
    // SIGTERM, then true when it ended by itself within 20 s with status 0.
    bool quit();
    // True when the process ended within the time; exitCode() and crashed() tell how.
    bool waitForExit(double limitSec);
    int exitCode() const;
    bool crashed() const;
    bool running() const { return process_ && process_->state() != QProcess::NotRunning; }
    // This launch's lines so far.
    const QStringList &lines() const { return lines_; }

    // This launch's output, for failure messages.
    QString output() const;

    QString recordingsFolder() const;
    QString accountsFile() const;
    QString logFile() const;
    // The stored records (JSON) and videos in the recordings folder.
    std::vector<QJsonObject> records() const;
    QStringList videos() const;

private:
    bool readSome(int waitMs);
    bool readLog(int waitMs);
    std::unique_ptr<QProcess> start(const QStringList &arguments) const;

    QTemporaryDir folder_;
    std::unique_ptr<QProcess> process_;
    QStringList lines_;
    QByteArray errors_;
    Mode mode_ = Mode::headless;
    std::vector<std::pair<QString, QString>> environment_;
    qint64 logRead_ = 0;
    QByteArray logPartial_;
    std::vector<std::unique_ptr<QProcess>> alongside_;
};

} // namespace murva::test
