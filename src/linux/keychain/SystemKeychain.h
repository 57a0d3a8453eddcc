#pragma once

#include "accounts/Keychain.h"

#include <functional>
#include <memory>

namespace murva {

class FileKeychain;

// Whether a secret service answers on the session bus: "org.freedesktop.secrets" has an
// owner or can be started. QtKeychain's libsecret backend reports a missing service only
// as a generic error, so this is asked of D-Bus directly. The caller's thread never
// waits for the bus; a bus that does not answer within `kBusAnswerWaitMs` counts as no.
inline constexpr int kBusAnswerWaitMs = 5000;
QCoro::Task<bool> secretServiceAvailable();

// The keychain port on Linux: the secret service when one answers, else the private
// file (said once in the log); also the file when the service refuses to store the
// item. While the file exists and a secret service answers, each operation first moves
// the file's item into the service and removes the file.
//
// A service found answering is not asked for again until one of its operations fails;
// a missing one is looked for again at every operation, so one that starts later is used.
class SystemKeychain : public Keychain {
public:
    using ServiceCheck = std::function<QCoro::Task<bool>()>;

    SystemKeychain(std::unique_ptr<Keychain> secretService, std::unique_ptr<FileKeychain> file,
                   ServiceCheck serviceAvailable = secretServiceAvailable);
    ~SystemKeychain() override;

    QCoro::Task<KeychainRead> read() override;
    QCoro::Task<bool> write(const QByteArray &data) override;
    QCoro::Task<bool> remove() override;

private:
    // True when the secret service holds the item from now on; false to go on with the file.
    QCoro::Task<bool> useSecretService();
    QCoro::Task<bool> serviceAnswers();
    // Passes an operation's outcome through, forgetting the service when it failed.
    bool noted(bool serviceSucceeded);

    std::unique_ptr<Keychain> secretService_;
    std::unique_ptr<FileKeychain> file_;
    ServiceCheck serviceAvailable_;
    bool serviceKnownUp_ = false;
    bool toldFallback_ = false;
};

// The adapter the app uses.
std::unique_ptr<Keychain> makeKeychain();

} // namespace murva
