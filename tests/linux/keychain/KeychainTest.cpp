#include "PrivateSecretService.h"
#include "app/accounts/FakeKeychain.h"

#include "keychain/FileKeychain.h"
#include "keychain/SecretServiceKeychain.h"
#include "keychain/SystemKeychain.h"
#include "log/Log.h"
#include "support/AwaitTask.h"
#include "support/Files.h"

#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace murva::test {
namespace {

using Outcome = KeychainRead::Outcome;

int modeOf(const QString &path)
{
    struct stat facts {};
    if (::stat(QFile::encodeName(path).constData(), &facts) != 0) {
        return -1;
    }
    return int(facts.st_mode & 0777);
}

// Runs first: it needs a process that has never seen a session bus.
TEST(Keychain, WithoutASecretServiceTheItemIsAPrivateFile)
{
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    EXPECT_FALSE(await(secretServiceAvailable()));

    const QString path = FileKeychain::standardPath();
    // A file left readable by others (by hand, or an older version) is narrowed too.
    ASSERT_TRUE(writeFile(path, "old"));
    ::chmod(QFile::encodeName(path).constData(), 0644);

    std::unique_ptr<Keychain> keychain = makeKeychain();
    EXPECT_EQ(await(keychain->read()).data, "old");
    ASSERT_TRUE(await(keychain->write(R"({"connections": [1]})")));
    ASSERT_TRUE(await(keychain->write(R"({"connections": [2]})")));
    EXPECT_EQ(modeOf(path), 0600);
    const KeychainRead read = await(keychain->read());
    EXPECT_EQ(read.outcome, Outcome::found);
    EXPECT_EQ(read.data, R"({"connections": [2]})");
    Log::flush();
    EXPECT_EQ(readFile(Log::filePath()).count("keychain: no secret service"), 1);

    EXPECT_TRUE(await(keychain->remove()));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(await(keychain->read()).outcome, Outcome::noItem);
}

TEST(Keychain, TheFileMovesIntoASecretServiceThatAppearsLater)
{
    PrivateSecretService &session = PrivateSecretService::instance();
    ASSERT_TRUE(session.busRunning());
    SystemKeychain keychain(std::make_unique<SecretServiceKeychain>(), std::make_unique<FileKeychain>());
    const QString path = FileKeychain::standardPath();
    if (!await(secretServiceAvailable())) {
        ASSERT_TRUE(await(keychain.write("moving")));
        EXPECT_EQ(modeOf(path), 0600);
        ASSERT_TRUE(session.startKeyring());
    } else {
        // The keyring of an earlier test in this process is already up.
        ASSERT_TRUE(FileKeychain().writeNow("moving"));
    }
    ASSERT_TRUE(await(secretServiceAvailable()));

    const KeychainRead read = await(keychain.read());
    EXPECT_EQ(read.outcome, Outcome::found);
    EXPECT_EQ(read.data, "moving");
    EXPECT_FALSE(QFile::exists(path));
    SecretServiceKeychain direct;
    EXPECT_EQ(await(direct.read()).data, "moving");
    EXPECT_TRUE(await(keychain.remove()));
    EXPECT_EQ(await(direct.read()).outcome, Outcome::noItem);
}

// A secret service that answers but stores nothing (gnome-keyring without a default
// collection) must not lose the sign-in. The bus is asked about the service again only
// after the service failed.
TEST(Keychain, WhatTheSecretServiceRefusesStaysInTheFileUntilItTakesIt)
{
    auto service = std::make_unique<FakeKeychain>();
    FakeKeychain &secrets = *service;
    secrets.refuseWrites = true;
    int checks = 0;
    SystemKeychain keychain(std::move(service), std::make_unique<FileKeychain>(), [&]() -> QCoro::Task<bool> {
        ++checks;
        co_return true;
    });
    const QString path = FileKeychain::standardPath();

    ASSERT_TRUE(await(keychain.write("kept")));
    EXPECT_FALSE(secrets.item);
    EXPECT_EQ(modeOf(path), 0600);
    EXPECT_EQ(await(keychain.read()).data, "kept");

    secrets.refuseWrites = false;
    EXPECT_EQ(await(keychain.read()).data, "kept");
    EXPECT_EQ(secrets.item, "kept");
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(await(keychain.read()).data, "kept");
    EXPECT_EQ(checks, 3);
}

TEST(Keychain, TheSecretServiceReadsWritesAndDeletesTheItem)
{
    ASSERT_TRUE(PrivateSecretService::instance().startKeyring());
    SecretServiceKeychain keychain;
    EXPECT_TRUE(await(keychain.remove()));
    EXPECT_EQ(await(keychain.read()).outcome, Outcome::noItem);

    const QByteArray item = QStringLiteral(R"({"connections": [], "me": "Zoë"})").toUtf8();
    ASSERT_TRUE(await(keychain.write("first")));
    ASSERT_TRUE(await(keychain.write(item)));
    const KeychainRead read = await(keychain.read());
    EXPECT_EQ(read.outcome, Outcome::found);
    EXPECT_EQ(read.data, item);
    // Another item of the same service is another account's business.
    SecretServiceKeychain other(KeychainItem::service, QStringLiteral("someone-else"));
    EXPECT_EQ(await(other.read()).outcome, Outcome::noItem);

    EXPECT_TRUE(await(keychain.remove()));
    EXPECT_EQ(await(keychain.read()).outcome, Outcome::noItem);
    EXPECT_TRUE(await(keychain.remove()));
}

} // namespace
} // namespace murva::test
