#include "oauth/OAuth.h"

#include "support/JsonShapes.h"

#include <QCryptographicHash>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QStringList>
#include <QUrlQuery>

#include <algorithm>
#include <cmath>
#include <vector>

namespace murva::OAuth {
namespace {

std::optional<QUrl> endpoint(const QJsonObject &object, const QString &key)
{
    return json::urlOf(object.value(key), {u"https", u"http"});
}

// Letters, marks and digits of any script, as a form body may carry them unencoded.
bool keptInForm(char32_t codePoint)
{
    if (codePoint < 0x80) {
        return (codePoint >= 'a' && codePoint <= 'z') || (codePoint >= 'A' && codePoint <= 'Z')
            || (codePoint >= '0' && codePoint <= '9') || codePoint == '-' || codePoint == '.'
            || codePoint == '_' || codePoint == '~';
    }
    return QChar::isLetterOrNumber(codePoint) || QChar::isMark(codePoint);
}

// Lone surrogates cannot be written as UTF-8.
bool encodable(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
        } else if (c.isSurrogate()) {
            return false;
        }
    }
    return true;
}

QByteArray formEncoded(const QString &text)
{
    if (!encodable(text)) {
        return {};
    }
    QByteArray out;
    const std::u32string codePoints = text.toStdU32String();
    for (const char32_t codePoint : codePoints) {
        const QByteArray utf8 = QString::fromUcs4(&codePoint, 1).toUtf8();
        if (keptInForm(codePoint)) {
            out += utf8;
            continue;
        }
        for (const char byte : utf8) {
            out += '%';
            out += QByteArray::number(quint8(byte), 16).rightJustified(2, '0').toUpper();
        }
    }
    return out;
}

// Query values keep what a query allows except the characters that would change how
// it splits or decodes ("&", "=", "+", "#").
QByteArray queryEncoded(const QString &text)
{
    return QUrl::toPercentEncoding(text, QByteArrayLiteral("!$'()*,/:;?@"));
}

} // namespace

std::optional<Discovery> discovery(const QByteArray &body)
{
    const auto object = json::objectOf(body);
    if (!object) {
        return std::nullopt;
    }
    const auto authorize = endpoint(*object, QStringLiteral("authorization_endpoint"));
    const auto token = endpoint(*object, QStringLiteral("token_endpoint"));
    const auto registration = endpoint(*object, QStringLiteral("registration_endpoint"));
    if (!authorize || !token || !registration) {
        return std::nullopt;
    }
    return Discovery{*authorize, *token, *registration};
}

std::optional<QString> clientId(const QByteArray &body)
{
    const auto object = json::objectOf(body);
    if (!object) {
        return std::nullopt;
    }
    const std::optional<QString> id = json::stringOf(object->value(QStringLiteral("client_id")));
    if (!id || id->isEmpty()) {
        return std::nullopt;
    }
    return id;
}

std::optional<Tokens> tokens(const QByteArray &body, const QDateTime &now)
{
    const auto object = json::objectOf(body);
    if (!object) {
        return std::nullopt;
    }
    const std::optional<QString> access = json::stringOf(object->value(QStringLiteral("access_token")));
    const std::optional<QString> refresh = json::stringOf(object->value(QStringLiteral("refresh_token")));
    const QJsonValue expiresIn = object->value(QStringLiteral("expires_in"));
    if (!access || !refresh || !expiresIn.isDouble()) {
        return std::nullopt;
    }
    // Renew a minute early; a lifetime beyond a century is treated as a century so the
    // date arithmetic cannot overflow.
    constexpr double kEarlySec = 60;
    constexpr double kLongestSec = 100.0 * 365 * 24 * 3600;
    const double lifetimeSec = std::clamp(expiresIn.toDouble() - kEarlySec, 0.0, kLongestSec);
    return Tokens{*access, *refresh,
                  now.addMSecs(qint64(std::llround(lifetimeSec * 1000.0)))};
}

bool refusedRefresh(int status)
{
    return status == 400 || status == 401;
}

QUrl authorizeURL(const Discovery &discovery, const QString &clientId, const QString &redirectUri,
                  const QString &challenge, const QString &state)
{
    const FormPairs items{
        {QStringLiteral("response_type"), QStringLiteral("code")},
        {QStringLiteral("client_id"), clientId},
        {QStringLiteral("redirect_uri"), redirectUri},
        {QStringLiteral("code_challenge"), challenge},
        {QStringLiteral("code_challenge_method"), QStringLiteral("S256")},
        {QStringLiteral("state"), state},
    };
    QByteArrayList parts;
    for (const auto &[name, value] : items) {
        parts += queryEncoded(name) + '=' + queryEncoded(value);
    }
    QUrl url = discovery.authorize;
    url.setQuery(QString::fromLatin1(parts.join('&')), QUrl::StrictMode);
    return url;
}

std::optional<QString> code(const QUrl &redirect, const QString &state)
{
    // Only the first of repeated items counts, so a second "state" cannot help.
    const QUrlQuery query(redirect);
    if (state.isEmpty() || query.queryItemValue(QStringLiteral("state"), QUrl::FullyDecoded) != state) {
        return std::nullopt;
    }
    const QString code = query.queryItemValue(QStringLiteral("code"), QUrl::FullyDecoded);
    if (code.isEmpty()) {
        return std::nullopt;
    }
    return code;
}

QString randomToken(int bytes)
{
    if (bytes <= 0) {
        return {};
    }
    std::vector<quint32> words((bytes + 3) / 4);
    QRandomGenerator::system()->fillRange(words.data(), qsizetype(words.size()));
    const QByteArray random(reinterpret_cast<const char *>(words.data()), bytes);
    return base64Url(random);
}

QString challenge(const QString &verifier)
{
    return base64Url(QCryptographicHash::hash(verifier.toUtf8(), QCryptographicHash::Sha256));
}

QString base64Url(const QByteArray &bytes)
{
    return QString::fromLatin1(
        bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

QByteArray form(const FormPairs &pairs)
{
    QByteArrayList parts;
    for (const auto &[name, value] : pairs) {
        parts += formEncoded(name) + '=' + formEncoded(value);
    }
    return parts.join('&');
}

} // namespace murva::OAuth
