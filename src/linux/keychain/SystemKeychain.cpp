#include "keychain/SystemKeychain.h"

#include "keychain/FileKeychain.h"
#include "keychain/SecretServiceKeychain.h"
#include "log/Log.h"

#include <QCoroDBus>
#include <QCoroFuture>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusReply>
#include <QPromise>
#include <QThreadPool>

namespace murva {
namespace {

const QString kSecretsName = QStringLiteral("org.freedesktop.secrets");

// Connecting says hello to the bus and blocks until the bus answers, so it runs on a
// worker. Connections are kept by name: only the first one per address waits at all.
QFuture<bool> connectOnWorker(const QString &address, const QString &connectionName)
{
    auto promise = std::make_shared<QPromise<bool>>();
    QFuture<bool> connected = promise->future();
    promise->start();
    QThreadPool::globalInstance()->start([promise, address, connectionName] {
        const bool isUp = QDBusConnection::connectToBus(address, connectionName).isConnected();
        if (!isUp) {
            QDBusConnection::disconnectFromBus(connectionName);
        }
        promise->addResult(isUp);
        promise->finish();
    });
    return connected;
}

QDBusMessage busMethod(const QString &method)
{
    return QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                          QStringLiteral("/org/freedesktop/DBus"),
                                          QStringLiteral("org.freedesktop.DBus"), method);
}

} // namespace

QCoro::Task<bool> secretServiceAvailable()
{
    // A connection of its own to the address in the environment rather than the
    // process-wide one, which is never retried once it failed: a session bus that comes
    // up after the app still counts.
    const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (address.isEmpty()) {
        co_return false;
    }
    const QString connectionName = QStringLiteral("murva-secret-service-probe ") + address;
    QFuture<bool> connecting = connectOnWorker(address, connectionName);
    if (!co_await connecting) {
        co_return false;
    }
    const QDBusConnection bus(connectionName);
    QDBusMessage askOwner = busMethod(QStringLiteral("NameHasOwner"));
    askOwner << kSecretsName;
    // Both questions go out at once.
    QDBusPendingCall owner = bus.asyncCall(askOwner, kBusAnswerWaitMs);
    QDBusPendingCall activatable = bus.asyncCall(busMethod(QStringLiteral("ListActivatableNames")), kBusAnswerWaitMs);
    const QDBusReply<bool> owned = co_await owner;
    if (owned.isValid() && owned.value()) {
        co_return true;
    }
    const QDBusReply<QStringList> startable = co_await activatable;
    co_return startable.isValid() && startable.value().contains(kSecretsName);
}

SystemKeychain::SystemKeychain(std::unique_ptr<Keychain> secretService, std::unique_ptr<FileKeychain> file,
                               ServiceCheck serviceAvailable)
    : secretService_(std::move(secretService)), file_(std::move(file)),
      serviceAvailable_(std::move(serviceAvailable))
{
}

SystemKeychain::~SystemKeychain() = default;

QCoro::Task<bool> SystemKeychain::serviceAnswers()
{
    if (!serviceKnownUp_) {
        auto asking = serviceAvailable_();
        serviceKnownUp_ = co_await asking;
    }
    co_return serviceKnownUp_;
}

bool SystemKeychain::noted(bool serviceSucceeded)
{
    if (!serviceSucceeded) {
        serviceKnownUp_ = false;
    }
    return serviceSucceeded;
}

QCoro::Task<bool> SystemKeychain::useSecretService()
{
    auto asking = serviceAnswers();
    if (!co_await asking) {
        if (!toldFallback_) {
            Log::write(QStringLiteral("keychain: no secret service, accounts kept in ") + file_->path());
            toldFallback_ = true;
        }
        co_return false;
    }
    const KeychainRead fromFile = file_->readNow();
    if (fromFile.outcome != KeychainRead::Outcome::found) {
        co_return true;
    }
    // The file was written while no secret service ran, so it is the newer item.
    auto moving = secretService_->write(fromFile.data);
    if (!noted(co_await moving)) {
        Log::write(QStringLiteral("keychain: the secret service took no item, accounts stay in the file"));
        co_return false;
    }
    file_->removeNow();
    toldFallback_ = false;
    Log::write(QStringLiteral("keychain: accounts moved from the file into the secret service"));
    co_return true;
}

QCoro::Task<KeychainRead> SystemKeychain::read()
{
    auto choosing = useSecretService();
    if (co_await choosing) {
        auto reading = secretService_->read();
        const KeychainRead read = co_await reading;
        noted(read.outcome != KeychainRead::Outcome::unreadable);
        co_return read;
    }
    co_return file_->readNow();
}

QCoro::Task<bool> SystemKeychain::write(const QByteArray &data)
{
    const QByteArray bytes = data;
    auto choosing = useSecretService();
    if (co_await choosing) {
        auto writing = secretService_->write(bytes);
        if (noted(co_await writing)) {
            co_return true;
        }
        // A service that reads but cannot store (no default collection, as a keyring
        // started without a password has none) would lose every sign-in; the private
        // file keeps it until the service takes it over.
        Log::write(QStringLiteral("keychain: the secret service refused the item, accounts kept in ") +
                   file_->path());
    }
    co_return file_->writeNow(bytes);
}

QCoro::Task<bool> SystemKeychain::remove()
{
    const bool fileRemoved = file_->removeNow();
    auto asking = serviceAnswers();
    if (!co_await asking) {
        co_return fileRemoved;
    }
    auto removing = secretService_->remove();
    const bool serviceRemoved = noted(co_await removing);
    co_return fileRemoved && serviceRemoved;
}

std::unique_ptr<Keychain> makeKeychain()
{
    return std::make_unique<SystemKeychain>(std::make_unique<SecretServiceKeychain>(),
                                            std::make_unique<FileKeychain>());
}

} // namespace murva
