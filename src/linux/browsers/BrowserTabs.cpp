#include "browsers/BrowserTabs.h"

#include "browsers/FirefoxProfiles.h"
#include "browsers/MozLz4.h"
#include "browsers/SessionTabs.h"

#include <QDir>
#include <QStandardPaths>
#include <QThread>

#include <coroutine>
#include <exception>
#include <memory>

namespace murva::BrowserTabs {
namespace {

// Firefox rewrites this file every few seconds while it runs. It may outlive the
// browser (with session restore on, or after a crash), so only profiles in use count.
const QString kRecoveryFile = QStringLiteral("/sessionstore-backups/recovery.jsonlz4");

QStringList addressesOfProfile(const QString &profileFolder)
{
    try {
        const std::optional<QByteArray> session = MozLz4::readFile(profileFolder + kRecoveryFile, kMaxSessionBytes);
        return session ? SessionTabs::selectedAddresses(*session) : QStringList();
    } catch (const std::exception &) {
        // Out of memory for a huge session: that profile gives nothing.
        return {};
    }
}

// Awaits `addressesIn(home)` run on a new thread; resumes on the awaiting thread.
class ReadOnWorker {
public:
    ReadOnWorker(QString home, QString configHome) : home_(std::move(home)), configHome_(std::move(configHome)) {}

    bool await_ready() const noexcept { return false; }

    void await_suspend(std::coroutine_handle<> awaiting)
    {
        QThread *reader = QThread::create(
            [home = home_, configHome = configHome_, found = found_] { *found = addressesIn(home, configHome); });
        // `reader` lives on the awaiting thread, so both run there, in this order, once
        // the reading is over. Resuming is safe even if the task object was dropped
        // meanwhile: QCoro keeps a started coroutine's frame until it completes.
        QObject::connect(reader, &QThread::finished, reader, [awaiting] { awaiting.resume(); });
        QObject::connect(reader, &QThread::finished, reader, &QObject::deleteLater);
        reader->start(QThread::LowPriority);
    }

    QStringList await_resume() { return std::move(*found_); }

private:
    QString home_;
    QString configHome_;
    std::shared_ptr<QStringList> found_ = std::make_shared<QStringList>();
};

} // namespace

QCoro::Task<QStringList> addresses()
{
    ReadOnWorker reading(QDir::homePath(), QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    QStringList found = co_await reading;
    co_return found;
}

QStringList addressesIn(const QString &home, const QString &configHome)
{
    QStringList addresses;
    for (const QString &profile : FirefoxProfiles::profileFolders(home, configHome)) {
        if (FirefoxProfiles::isInUse(profile)) {
            addresses.append(addressesOfProfile(profile));
        }
    }
    return addresses;
}

} // namespace murva::BrowserTabs
