#include "desktop/InstalledUpdates.h"

#include "desktop/RestartAfterExit.h"
#include "log/Log.h"
#include "support/WorkerTask.h"

#include <QCoroProcess>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>

namespace murva {
namespace {

// A package manager writes many files one after another; look once they have settled.
constexpr int settleMs = 500;
constexpr int versionAnswerMs = 10000;

QString readVersion(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.read(256)).trimmed();
}

// "murva-recorder VERSION" gives VERSION; anything else nothing.
QString versionFromAnswer(const QByteArray &answer)
{
    const QStringList words = QString::fromUtf8(answer).split(' ', Qt::SkipEmptyParts);
    return words.size() == 2 && words[0] == QLatin1String("murva-recorder") ? words[1].trimmed() : QString();
}

void logWaiting(const QString &version)
{
    Log::write(QStringLiteral("update %1 installed, but its program does not answer yet").arg(version));
}

void logNotStarting(const QString &answered, const QString &running)
{
    Log::write(QStringLiteral("update: the installed build does not start (it answers \"%1\"); staying on %2")
                   .arg(answered, running));
}

QStringList versionArguments()
{
    return {QStringLiteral("--version")};
}

} // namespace

InstalledUpdates::InstalledUpdates(QString executablePath, QStringList arguments, QString versionFile,
                                   QString compiledVersion, int backstopSec, QObject *parent)
    : UpdateSource(parent), executablePath_(std::move(executablePath)), arguments_(std::move(arguments)),
      versionFile_(std::move(versionFile)), compiledVersion_(std::move(compiledVersion))
{
    settle_.setSingleShot(true);
    settle_.setInterval(settleMs);
    backstop_.setInterval(backstopSec * 1000);
    connect(&settle_, &QTimer::timeout, this, [this] { check(); });
    connect(&backstop_, &QTimer::timeout, this, &InstalledUpdates::checkSoon);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &InstalledUpdates::checkSoon);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &InstalledUpdates::checkSoon);
}

void InstalledUpdates::start()
{
    // Package managers replace files by renaming new ones into place, which changes the
    // folders rather than the files.
    watcher_.addPaths({QFileInfo(executablePath_).absolutePath(), QFileInfo(versionFile_).absolutePath()});
    backstop_.start();
    checkSoon();
}

void InstalledUpdates::checkSoon()
{
    settle_.start();
}

QCoro::Task<> InstalledUpdates::check()
{
    if (checking_) {
        checkAgain_ = true;
        co_return;
    }
    checking_ = true;
    const QPointer<InstalledUpdates> self(this);
    const QString onDisk = co_await versionOnDisk();
    if (!self) {
        co_return;
    }
    QString answered;
    const bool newer = !onDisk.isEmpty() && onDisk != compiledVersion_ && onDisk != announced_;
    if (newer) {
        answered = co_await answeredVersion();
    }
    if (!self) {
        co_return;
    }
    checking_ = false;
    if (newer && answered == onDisk) {
        announced_ = onDisk;
        waitingFor_.clear();
        emit ready(onDisk);
    } else if (newer && waitingFor_ != onDisk) {
        // A partial install, or a build that cannot start: the next change looks again.
        waitingFor_ = onDisk;
        logWaiting(onDisk);
    }
    if (checkAgain_) {
        checkAgain_ = false;
        checkSoon();
    }
}

QCoro::Task<bool> InstalledUpdates::newestStarts()
{
    const QPointer<InstalledUpdates> self(this);
    const QString onDisk = co_await versionOnDisk();
    if (!self) {
        co_return false;
    }
    const QString answered = co_await answeredVersion();
    if (!self) {
        co_return false;
    }
    if (!answered.isEmpty() && answered == onDisk && answered != compiledVersion_) {
        co_return true;
    }
    logNotStarting(answered, compiledVersion_);
    announced_.clear(); // so that a build that starts is announced again
    waitingFor_ = onDisk;
    co_return false;
}

bool InstalledUpdates::restartIntoNewest()
{
    return restartAfterExit(executablePath_, arguments_);
}

QCoro::Task<QString> InstalledUpdates::versionOnDisk() const
{
    // A few bytes, but on a disk that may be busy or asleep: never on the event loop.
    auto reading = runOnWorker([path = versionFile_] { return readVersion(path); });
    co_return co_await reading;
}

QCoro::Task<QString> InstalledUpdates::answeredVersion() const
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    auto running = qCoro(process);
    if (!co_await running.start(executablePath_, versionArguments())) {
        co_return QString();
    }
    if (!co_await running.waitForFinished(std::chrono::milliseconds(versionAnswerMs))) {
        process.kill();
        co_await running.waitForFinished();
        co_return QString();
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        co_return QString();
    }
    co_return versionFromAnswer(process.readAllStandardOutput());
}

} // namespace murva
