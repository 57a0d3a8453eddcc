#pragma once

#include <QByteArray>
#include <QCoroTask>
#include <QString>

namespace murva {

// The one keychain item that holds the accounts: a secret of the user, found by its
// service and key.
struct KeychainItem {
    static inline const QString service = QStringLiteral("dev.murva.recorder");
    static inline const QString key = QStringLiteral("murva");
};

// What reading the item gave. `unreadable` is not "no item": the store exists but could
// not be asked (locked, or its service not up yet), so the item may well be there.
struct KeychainRead {
    enum class Outcome { found, noItem, unreadable };
    Outcome outcome = Outcome::noItem;
    QByteArray data; // only with `found`

    static KeychainRead found(const QByteArray &bytes) { return {Outcome::found, bytes}; }
    static KeychainRead noItem() { return {Outcome::noItem, {}}; }
    static KeychainRead unreadable() { return {Outcome::unreadable, {}}; }
};

// The system store of the accounts item. Operations run on the main thread and resume
// there; none throws. Implementations copy their arguments before they first suspend.
class Keychain {
public:
    virtual ~Keychain() = default;

    virtual QCoro::Task<KeychainRead> read() = 0;

    // Replaces the item's data, adding the item when there is none. False on failure.
    virtual QCoro::Task<bool> write(const QByteArray &data) = 0;

    // Deletes the item. True also when there was none.
    virtual QCoro::Task<bool> remove() = 0;
};

} // namespace murva
