#include "keychain/FileKeychain.h"

#include "support/UserFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace murva {

FileKeychain::FileKeychain(QString path) : path_(std::move(path)) {}

QString FileKeychain::standardPath()
{
    return UserFolders::dataHome() + QStringLiteral("/Murva Recorder/accounts.json");
}

KeychainRead FileKeychain::readNow() const
{
    QFile file(path_);
    if (!file.exists()) {
        return KeychainRead::noItem();
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return KeychainRead::unreadable();
    }
    return KeychainRead::found(file.readAll());
}

bool FileKeychain::writeNow(const QByteArray &data) const
{
    if (!QDir().mkpath(QFileInfo(path_).absolutePath())) {
        return false;
    }
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    // The temporary file starts with the usual 0644 (or the old file's mode); narrow it
    // before a single secret byte goes in.
    if (!file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        file.cancelWriting();
        return false;
    }
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool FileKeychain::removeNow() const
{
    return !QFile::exists(path_) || QFile::remove(path_);
}

QCoro::Task<KeychainRead> FileKeychain::read()
{
    co_return readNow();
}

QCoro::Task<bool> FileKeychain::write(const QByteArray &data)
{
    const QByteArray bytes = data;
    co_return writeNow(bytes);
}

QCoro::Task<bool> FileKeychain::remove()
{
    co_return removeNow();
}

} // namespace murva
