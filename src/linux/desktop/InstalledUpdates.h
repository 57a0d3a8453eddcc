#pragma once

#include "update/UpdateSource.h"

#include <QFileSystemWatcher>
#include <QStringList>
#include <QTimer>

namespace murva {

// Newer builds installed by the package manager under the running recorder. A version
// file installed with the program names the build on disk; when it differs from the
// version compiled in, and the program on disk answers "--version" with it, that build
// is ready. The install folders are watched, with a periodic check as a backstop for
// changes a watch misses (a folder replaced, a full watch table).
class InstalledUpdates final : public UpdateSource {
    Q_OBJECT
public:
    // `executablePath` and `arguments` are saved at start-up; `versionFile` sits beside
    // the installed program.
    InstalledUpdates(QString executablePath, QStringList arguments, QString versionFile, QString compiledVersion,
                     int backstopSec = 600, QObject *parent = nullptr);

    void start() override;
    QCoro::Task<bool> newestStarts() override;
    bool restartIntoNewest() override;

private:
    void checkSoon();
    QCoro::Task<> check();
    // The version on disk; empty when unreadable.
    QCoro::Task<QString> versionOnDisk() const;
    // What the program on disk answers to "--version"; empty when it does not start.
    QCoro::Task<QString> answeredVersion() const;

    QString executablePath_;
    QStringList arguments_;
    QString versionFile_;
    QString compiledVersion_;
    QFileSystemWatcher watcher_;
    QTimer settle_;
    QTimer backstop_;
    QString announced_;
    QString waitingFor_;
    bool checking_ = false;
    bool checkAgain_ = false;
};

} // namespace murva
