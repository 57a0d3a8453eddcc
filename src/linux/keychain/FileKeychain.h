#pragma once

#include "accounts/Keychain.h"

#include <QString>

namespace murva {

// The accounts item as a file private to the user (mode 0600), for systems where no
// secret service answers. Written atomically: a reader sees the old or the new item.
class FileKeychain : public Keychain {
public:
    explicit FileKeychain(QString path = standardPath());

    // "$XDG_DATA_HOME/Murva Recorder/accounts.json".
    static QString standardPath();
    const QString &path() const { return path_; }

    QCoro::Task<KeychainRead> read() override;
    QCoro::Task<bool> write(const QByteArray &data) override;
    QCoro::Task<bool> remove() override;

    // The same, without waiting (the file is small and local).
    KeychainRead readNow() const;
    bool writeNow(const QByteArray &data) const;
    bool removeNow() const;

private:
    QString path_;
};

} // namespace murva
