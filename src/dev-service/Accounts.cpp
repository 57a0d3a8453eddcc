#include "Accounts.h"

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>

#include <chrono>

namespace murva::devservice {

qint64 nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

QString newSecret(int bytes)
{
    QList<quint32> words((bytes + 3) / 4);
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    const QByteArray random(reinterpret_cast<const char *>(words.constData()), bytes);
    return QString::fromLatin1(random.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

const User &Accounts::user(const QString &email, const QString &name)
{
    const QString key = email.toLower();
    User &user = users_[key];
    user.email = key;
    if (!name.isEmpty()) {
        user.name = name;
    } else if (user.name.isEmpty()) {
        user.name = key.section('@', 0, 0);
    }
    return user;
}

QString Accounts::issueToken(const QString &email, qint64 lifetimeMs)
{
    const QString token = newSecret();
    tokens_.insert(token, {user(email).email, lifetimeMs < 0 ? -1 : nowMs() + lifetimeMs});
    return token;
}

const User *Accounts::userForToken(const QString &token) const
{
    const auto grant = tokens_.constFind(token);
    if (grant == tokens_.cend() || (grant->expiresAtMs >= 0 && nowMs() >= grant->expiresAtMs)) {
        return nullptr;
    }
    const auto user = users_.constFind(grant->email);
    return user == users_.cend() ? nullptr : &*user;
}

void Accounts::clear()
{
    users_.clear();
    tokens_.clear();
}

} // namespace murva::devservice
