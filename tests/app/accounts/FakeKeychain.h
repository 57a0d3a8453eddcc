#pragma once

#include "accounts/Keychain.h"

#include <QByteArray>

#include <optional>

namespace murva::test {

// The keychain item in memory. `locked` makes every read fail as a locked keyring does,
// while the item stays where it is; `refuseWrites` makes writes fail.
class FakeKeychain : public Keychain {
public:
    std::optional<QByteArray> item;
    bool locked = false;
    bool refuseWrites = false;
    int reads = 0;
    int writes = 0;
    int removals = 0;

    QCoro::Task<KeychainRead> read() override
    {
        ++reads;
        if (locked) {
            co_return KeychainRead::unreadable();
        }
        co_return item ? KeychainRead::found(*item) : KeychainRead::noItem();
    }

    QCoro::Task<bool> write(const QByteArray &data) override
    {
        ++writes;
        if (refuseWrites) {
            co_return false;
        }
        item = data;
        co_return true;
    }

    QCoro::Task<bool> remove() override
    {
        ++removals;
        item.reset();
        co_return true;
    }
};

} // namespace murva::test
