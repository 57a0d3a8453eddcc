#include "keychain/SecretServiceKeychain.h"

#include "log/Log.h"

#include <QCoroSignal>
#include <qt6keychain/keychain.h>

#include <memory>

namespace murva {
namespace {

// Runs a job to its end. The job is owned here rather than deleted by itself, so that
// its error can be read after `finished`.
QCoro::Task<> finish(QKeychain::Job &job)
{
    auto finishing = qCoro(&job, &QKeychain::Job::finished);
    job.start();
    co_await finishing;
}

void logFailure(const char *what, const QKeychain::Job &job)
{
    // QtKeychain's texts name the failure, never the secret.
    Log::write(QStringLiteral("keychain: %1 failed (%2): %3")
                   .arg(QLatin1String(what))
                   .arg(int(job.error()))
                   .arg(job.errorString()));
}

} // namespace

SecretServiceKeychain::SecretServiceKeychain(QString service, QString key)
    : service_(std::move(service)), key_(std::move(key))
{
}

QCoro::Task<KeychainRead> SecretServiceKeychain::read()
{
    auto job = std::make_unique<QKeychain::ReadPasswordJob>(service_);
    job->setAutoDelete(false);
    job->setKey(key_);
    auto finishing = finish(*job);
    co_await finishing;
    switch (job->error()) {
    case QKeychain::NoError:
        co_return KeychainRead::found(job->binaryData());
    case QKeychain::EntryNotFound:
        co_return KeychainRead::noItem();
    default:
        logFailure("read", *job);
        co_return KeychainRead::unreadable();
    }
}

QCoro::Task<bool> SecretServiceKeychain::write(const QByteArray &data)
{
    auto job = std::make_unique<QKeychain::WritePasswordJob>(service_);
    job->setAutoDelete(false);
    job->setKey(key_);
    // Stored as text (the item is JSON), so other secret-service tools show it plainly.
    job->setTextData(QString::fromUtf8(data));
    auto finishing = finish(*job);
    co_await finishing;
    if (job->error() != QKeychain::NoError) {
        logFailure("write", *job);
        co_return false;
    }
    co_return true;
}

QCoro::Task<bool> SecretServiceKeychain::remove()
{
    auto job = std::make_unique<QKeychain::DeletePasswordJob>(service_);
    job->setAutoDelete(false);
    job->setKey(key_);
    auto finishing = finish(*job);
    co_await finishing;
    if (job->error() != QKeychain::NoError && job->error() != QKeychain::EntryNotFound) {
        logFailure("delete", *job);
        co_return false;
    }
    co_return true;
}

} // namespace murva
