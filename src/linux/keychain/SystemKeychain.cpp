#include "keychain/SystemKeychain.h"

#include "keychain/FileKeychain.h"
#include "keychain/SecretServiceKeychain.h"
#include "log/Log.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>

namespace murva {

bool secretServiceAvailable()
{
    // A connection of its own to the address in the environment rather than the
    // process-wide one, which is never retried once it failed: a session bus that comes
    // up after the app still counts.
    const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (address.isEmpty()) {
        return false;
    }
    const QString connectionName = QStringLiteral("murva-secret-service-probe ") + address;
    const QDBusConnection bus = QDBusConnection::connectToBus(address, connectionName);
    if (!bus.isConnected() || bus.interface() == nullptr) {
        QDBusConnection::disconnectFromBus(connectionName);
        return false;
    }
    const QString name = QStringLiteral("org.freedesktop.secrets");
    const QDBusReply<bool> owned = bus.interface()->isServiceRegistered(name);
    if (owned.isValid() && owned.value()) {
        return true;
    }
    const QDBusReply<QStringList> activatable = bus.interface()->activatableServiceNames();
    return activatable.isValid() && activatable.value().contains(name);
}

SystemKeychain::SystemKeychain(std::unique_ptr<Keychain> secretService, std::unique_ptr<FileKeychain> file,
                               std::function<bool()> serviceAvailable)
    : secretService_(std::move(secretService)), file_(std::move(file)),
      serviceAvailable_(std::move(serviceAvailable))
{
}

SystemKeychain::~SystemKeychain() = default;

QCoro::Task<bool> SystemKeychain::useSecretService()
{
    if (!serviceAvailable_()) {
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
    if (!co_await moving) {
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
        co_return co_await reading;
    }
    co_return file_->readNow();
}

QCoro::Task<bool> SystemKeychain::write(const QByteArray &data)
{
    const QByteArray bytes = data;
    auto choosing = useSecretService();
    if (co_await choosing) {
        auto writing = secretService_->write(bytes);
        if (co_await writing) {
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
    if (!serviceAvailable_()) {
        co_return fileRemoved;
    }
    auto removing = secretService_->remove();
    const bool serviceRemoved = co_await removing;
    co_return fileRemoved && serviceRemoved;
}

std::unique_ptr<Keychain> makeKeychain()
{
    return std::make_unique<SystemKeychain>(std::make_unique<SecretServiceKeychain>(),
                                            std::make_unique<FileKeychain>());
}

} // namespace murva
