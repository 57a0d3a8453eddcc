#include "callback/CallbackRequest.h"

#include <QStringList>
#include <QUrlQuery>

namespace murva {
namespace {

// The complete lines of a head; a line cut off by the size limit is left out.
QList<QByteArray> completeLines(const QByteArray &head)
{
    const qsizetype lastNewline = head.lastIndexOf('\n');
    if (lastNewline < 0) {
        return {};
    }
    QList<QByteArray> lines = head.left(lastNewline).split('\n');
    for (QByteArray &line : lines) {
        if (line.endsWith('\r')) {
            line.chop(1);
        }
    }
    return lines;
}

// The values of every "Host" header field up to the empty line.
QStringList hostValues(const QList<QByteArray> &lines)
{
    QStringList hosts;
    for (qsizetype i = 1; i < lines.size() && !lines[i].isEmpty(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0 && lines[i].left(colon).trimmed().toLower() == "host") {
            hosts += QString::fromUtf8(lines[i].mid(colon + 1).trimmed());
        }
    }
    return hosts;
}

} // namespace

bool CallbackRequest::headComplete(const QByteArray &bytes)
{
    return bytes.contains("\r\n\r\n") || bytes.contains("\n\n");
}

CallbackRequest CallbackRequest::parse(const QByteArray &head, quint16 port)
{
    const QList<QByteArray> lines = completeLines(head);
    const QString requestLine = lines.isEmpty() ? QString() : QString::fromUtf8(lines.first());
    const QStringList pieces = requestLine.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString target = pieces.size() < 2 ? QStringLiteral("/") : pieces[1];
    const QString origin = QStringLiteral("127.0.0.1:%1").arg(port);

    CallbackRequest request;
    request.url = QUrl(QStringLiteral("http://") + origin + target);
    const QStringList hosts = hostValues(lines);
    // Only an origin-form target is read: an absolute one ("GET http://…") would
    // otherwise be glued onto our own address.
    request.isRedirect = target.startsWith(QLatin1Char('/')) && request.url.isValid()
        && request.url.path() == QLatin1String("/callback") && hosts.size() == 1
        && hosts.first().compare(origin, Qt::CaseInsensitive) == 0;
    const QUrlQuery query(request.url);
    if (query.hasQueryItem(QStringLiteral("lang"))) {
        request.requestedLanguage = query.queryItemValue(QStringLiteral("lang"), QUrl::FullyDecoded);
    }
    return request;
}

} // namespace murva
