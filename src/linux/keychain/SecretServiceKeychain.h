#pragma once

#include "accounts/Keychain.h"

#include <QString>

namespace murva {

// The accounts item in the desktop's secret service (or KWallet), through QtKeychain.
class SecretServiceKeychain : public Keychain {
public:
    explicit SecretServiceKeychain(QString service = KeychainItem::service,
                                   QString key = KeychainItem::key);

    QCoro::Task<KeychainRead> read() override;
    QCoro::Task<bool> write(const QByteArray &data) override;
    QCoro::Task<bool> remove() override;

private:
    QString service_;
    QString key_;
};

} // namespace murva
