#include "api/SaveError.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace murva {

QString rawValue(SaveError error)
{
    switch (error) {
    case SaveError::signIn: return QStringLiteral("signIn");
    case SaveError::appNeedsUpdate: return QStringLiteral("appNeedsUpdate");
    case SaveError::noCredits: return QStringLiteral("noCredits");
    case SaveError::tooLong: return QStringLiteral("tooLong");
    case SaveError::tooBig: return QStringLiteral("tooBig");
    case SaveError::offline: return QStringLiteral("offline");
    case SaveError::notUploaded: return QStringLiteral("notUploaded");
    case SaveError::notOnTeam: return QStringLiteral("notOnTeam");
    case SaveError::failed: return QStringLiteral("failed");
    }
    return QStringLiteral("failed");
}

std::optional<SaveError> saveErrorFromRawValue(QStringView raw)
{
    for (SaveError error : allSaveErrors) {
        if (rawValue(error) == raw) {
            return error;
        }
    }
    return std::nullopt;
}

QString textKey(SaveError error)
{
    return QStringLiteral("error.") + rawValue(error);
}

NetworkFailure::NetworkFailure(QNetworkReply::NetworkError code, const QString &text)
    : std::runtime_error(text.toStdString()), code_(code)
{
}

std::optional<SaveError> saveErrorOf(int status, const QByteArray &body)
{
    const QJsonObject object = QJsonDocument::fromJson(body).object(); // empty unless an object
    if (status == 401) {
        return SaveError::signIn;
    }
    const QJsonValue ok = object.value(QStringLiteral("ok"));
    const bool refused = ok.isBool() && !ok.toBool();
    if (status >= 200 && status <= 299 && !refused) {
        return std::nullopt;
    }
    const QJsonValue named = object.value(QStringLiteral("error"));
    if (named.isString()) {
        const std::optional<SaveError> kind = saveErrorFromRawValue(named.toString());
        // Only the client can tell that the network is missing.
        if (kind && *kind != SaveError::offline) {
            return kind;
        }
    }
    return SaveError::failed;
}

// `offline` means the computer has no usable network, so only codes that stand for the
// network itself missing or going away count:
// - HostNotFoundError: the service's name cannot be resolved; with the fixed, existing
//   service host this is what a machine without network (or without a resolver) sees.
// - UnknownNetworkError: what Qt reports for a socket-level ENETUNREACH/EHOSTUNREACH
//   (QHttpNetworkConnectionChannel maps every socket error it does not name to it).
// - RemoteHostClosedError: the connection dropped in the middle of a transfer (Qt has
//   already retried an idle connection by then): the connection was lost.
// - TemporaryNetworkFailureError, NetworkSessionFailedError: Qt's own "network access
//   went away" codes.
// ConnectionRefusedError stays `failed`: a refusal is an answer from the peer, so the
// network works and the service is down or misconfigured. Time-outs (TimeoutError, and
// OperationCanceledError from a transfer time-out), TLS, proxy, protocol and content
// errors are `failed` too.
SaveError saveErrorOf(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return SaveError::offline;
    default:
        return SaveError::failed;
    }
}

SaveError saveErrorOf(const std::exception_ptr &error)
{
    if (!error) {
        return SaveError::failed;
    }
    try {
        std::rethrow_exception(error);
    } catch (SaveError kind) {
        return kind;
    } catch (const NetworkFailure &failure) {
        return saveErrorOf(failure.code());
    } catch (...) {
        return SaveError::failed;
    }
}

} // namespace murva
