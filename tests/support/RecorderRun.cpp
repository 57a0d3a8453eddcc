#include "RecorderRun.h"

#include "Files.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSettings>
#include <QThread>
#include <QTimer>
#include <QEventLoop>

#include <algorithm>

namespace murva::test {
namespace {

constexpr int exitWaitMs = 20000;

QString settingsFile(const QString &home)
{
    return home + "/config/murva-recorder/settings.conf";
}

} // namespace

RecorderRun::RecorderRun(const QUrl &apiBase)
{
    const QString home = folder_.path();
    for (const char *name : {"config", "data", "state", "cache"}) {
        QDir().mkpath(home + "/" + name);
    }
    QDir().mkpath(QFileInfo(settingsFile(home)).path());
    setApiBase(apiBase);

    // The recorder opens the authorize address here; curl follows the service's redirect
    // to the recorder's own loopback callback, which finishes the sign-in.
    writeFile(home + "/browser.sh", "#!/bin/sh\nexec curl -sSL -o /dev/null \"$1\"\n");
    QFile::setPermissions(home + "/browser.sh", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

RecorderRun::~RecorderRun()
{
    kill();
    for (auto &process : alongside_) {
        process->kill();
        process->waitForFinished(exitWaitMs);
    }
}

void RecorderRun::setEnvironment(const QString &name, const QString &value)
{
    std::erase_if(environment_, [&](const auto &entry) { return entry.first == name; });
    environment_.emplace_back(name, value);
}

void RecorderRun::setApiBase(const QUrl &apiBase)
{
    if (apiBase.isEmpty()) { // no service: the settings stay as a fresh user's
        return;
    }
    QSettings settings(settingsFile(folder_.path()), QSettings::IniFormat);
    settings.setValue(QStringLiteral("apiBase"), apiBase.toString());
    settings.sync();
}

std::unique_ptr<QProcess> RecorderRun::start(const QStringList &arguments) const
{
    auto process = std::make_unique<QProcess>();
    const QString home = folder_.path();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home);
    environment.insert("BROWSER", home + "/browser.sh");
    for (const QString name : {"config", "data", "state", "cache"}) {
        environment.insert("XDG_" + name.toUpper() + "_HOME", home + '/' + name);
    }
    for (const auto &[name, value] : environment_) {
        if (value.isEmpty()) {
            environment.remove(name);
        } else {
            environment.insert(name, value);
        }
    }
    process->setProcessEnvironment(environment);
    process->start(QStringLiteral(MURVA_RECORDER),
                   mode_ == Mode::headless ? QStringList{QStringLiteral("--headless")} + arguments : arguments);
    process->waitForStarted(5000);
    return process;
}

void RecorderRun::launch(const QStringList &extraArguments)
{
    kill();
    lines_.clear();
    errors_.clear();
    logPartial_.clear();
    logRead_ = QFileInfo(logFile()).size(); // 0 when there is none yet
    process_ = start(extraArguments);
}

QProcess &RecorderRun::launchAlongside(const QStringList &arguments)
{
    alongside_.push_back(start(arguments));
    return *alongside_.back();
}

QString RecorderRun::logFile() const
{
    return folder_.path() + "/state/Murva Recorder.log";
}

// The desktop app's lines: what its log file gained since the launch. The event loop runs
// meanwhile, for D-Bus objects of the test that the app calls (a stand-in panel).
bool RecorderRun::readLog(int waitMs)
{
    QEventLoop loop;
    QTimer::singleShot(std::min(waitMs, 50), &loop, &QEventLoop::quit);
    loop.exec();
    errors_ += process_->readAllStandardError();
    process_->readAllStandardOutput();
    QFile file(logFile());
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    if (file.size() < logRead_) { // started anew
        logRead_ = 0;
    }
    file.seek(logRead_);
    const QByteArray more = file.readAll();
    logRead_ += more.size();
    logPartial_ += more;
    bool got = false;
    for (qsizetype end; (end = logPartial_.indexOf('\n')) >= 0;) {
        lines_ << QString::fromUtf8(logPartial_.left(end));
        logPartial_.remove(0, end + 1);
        got = true;
    }
    return got;
}

QString RecorderRun::launchAndSignIn()
{
    launch({QStringLiteral("--connect")});
    const auto connected = waitForLine(QStringLiteral("sign-in: connected account (\\S+)"), 30);
    if (!connected || (mode_ == Mode::headless && !waitForLine(QStringLiteral("headless: signed in"), 15))
        || !waitForLine(QStringLiteral("screen: checked"), 30)) {
        return {};
    }
    return connected->captured(1);
}

bool RecorderRun::launchSignedIn()
{
    launch();
    return waitForLine(QStringLiteral("headless: signed in"), 30).has_value();
}

bool RecorderRun::readSome(int waitMs)
{
    if (!process_) {
        return false;
    }
    if (mode_ == Mode::desktop) {
        return readLog(waitMs);
    }
    if (!process_->canReadLine() && process_->state() != QProcess::NotRunning) {
        process_->waitForReadyRead(waitMs);
    }
    bool got = false;
    while (process_->canReadLine()) {
        lines_ << QString::fromUtf8(process_->readLine()).chopped(1);
        got = true;
    }
    errors_ += process_->readAllStandardError();
    if (process_->state() == QProcess::NotRunning) {
        // The last line may come without its line feed.
        const QByteArray rest = process_->readAllStandardOutput();
        if (!rest.isEmpty()) {
            lines_ << QString::fromUtf8(rest);
            got = true;
        }
    }
    return got;
}

std::optional<QRegularExpressionMatch> RecorderRun::waitForLine(const QString &pattern, double limitSec)
{
    const QRegularExpression expression(pattern);
    QDeadlineTimer deadline(qint64(limitSec * 1000));
    qsizetype looked = 0;
    for (;;) {
        for (; looked < lines_.size(); ++looked) {
            const QRegularExpressionMatch match = expression.match(lines_[looked]);
            if (match.hasMatch()) {
                return match;
            }
        }
        const bool running = process_ && process_->state() != QProcess::NotRunning;
        if (running && !deadline.hasExpired()) {
            readSome(int(std::min<qint64>(deadline.remainingTime(), 200)));
        } else if (!readSome(0)) {
            return std::nullopt;
        }
    }
}

bool RecorderRun::saw(const QString &pattern) const
{
    const QRegularExpression expression(pattern);
    return std::any_of(lines_.begin(), lines_.end(),
                       [&](const QString &line) { return expression.match(line).hasMatch(); });
}

bool RecorderRun::waitUntil(const std::function<bool()> &condition, double limitSec)
{
    const QDeadlineTimer deadline(qint64(limitSec * 1000));
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        const int waitMs = int(std::clamp<qint64>(deadline.remainingTime(), 0, 100));
        if (mode_ == Mode::desktop && process_) { // also after it ended: others may write to the log
            readLog(waitMs);
        } else if (running()) {
            readSome(waitMs);
        } else {
            QThread::msleep(waitMs);
        }
    }
    return true;
}

void RecorderRun::keepReading(double seconds)
{
    waitUntil([] { return false; }, seconds);
}

void RecorderRun::terminate()
{
    if (process_ && process_->state() != QProcess::NotRunning) {
        process_->terminate();
    }
}

void RecorderRun::kill()
{
    if (process_ && process_->state() != QProcess::NotRunning) {
        process_->kill();
        process_->waitForFinished(exitWaitMs);
    }
}

bool RecorderRun::quit()
{
    terminate();
    return waitForExit(20) && !crashed() && exitCode() == 0;
}

bool RecorderRun::waitForExit(double limitSec)
{
    if (!process_) {
        return true;
    }
    waitUntil([this] { return !running(); }, limitSec);
    process_->waitForFinished(0);
    readSome(0);
    return !running();
}

int RecorderRun::exitCode() const
{
    return process_ ? process_->exitCode() : -1;
}

bool RecorderRun::crashed() const
{
    return process_ && process_->exitStatus() == QProcess::CrashExit;
}

QString RecorderRun::output() const
{
    return lines_.join('\n') + "\n--- standard error:\n" + QString::fromUtf8(errors_);
}

QString RecorderRun::recordingsFolder() const
{
    return folder_.path() + "/data/Murva Recorder/Recordings";
}

QString RecorderRun::accountsFile() const
{
    return folder_.path() + "/data/Murva Recorder/accounts.json";
}

std::vector<QJsonObject> RecorderRun::records() const
{
    std::vector<QJsonObject> records;
    const QDir folder(recordingsFolder());
    for (const QString &name : folder.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        if (const QByteArray text = readFile(folder.filePath(name)); !text.isEmpty()) {
            records.push_back(QJsonDocument::fromJson(text).object());
        }
    }
    return records;
}

QStringList RecorderRun::videos() const
{
    const QDir folder(recordingsFolder());
    QStringList paths;
    for (const QString &name : folder.entryList({QStringLiteral("*.mp4")}, QDir::Files, QDir::Name)) {
        paths << folder.filePath(name);
    }
    return paths;
}

} // namespace murva::test
