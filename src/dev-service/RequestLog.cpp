#include "RequestLog.h"

namespace murva::devservice {

int RequestLog::open(const HttpRequest &request)
{
    QJsonObject headers;
    for (const char *name : {"authorization", "content-type", "content-length", "host"}) {
        if (request.headers.contains(name)) {
            headers.insert(QString::fromLatin1(name), QString::fromUtf8(request.headers.value(name)));
        }
    }
    const int serial = nextSerial_++;
    entries_.append({serial, QJsonObject{{"method", QString::fromLatin1(request.method)},
                                         {"path", request.path},
                                         {"query", QString::fromUtf8(request.query)},
                                         {"headers", headers},
                                         {"body", QString()},
                                         {"bodyBytes", 0}}});
    return serial;
}

void RequestLog::close(int serial, const QByteArray &bodyStart, qint64 bodyBytes)
{
    for (qsizetype i = entries_.size() - 1; i >= 0; --i) {
        if (entries_[i].serial == serial) {
            QJsonObject &request = entries_[i].request;
            request["body"] = bodyBytes < kMaxBodyText ? QString::fromUtf8(bodyStart.left(bodyBytes)) : QString();
            request["bodyBytes"] = bodyBytes;
            return;
        }
    }
}

QJsonArray RequestLog::toJson() const
{
    QJsonArray requests;
    for (const Entry &entry : entries_) {
        requests.append(entry.request);
    }
    return requests;
}

void RequestLog::clear()
{
    entries_.clear();
}

} // namespace murva::devservice
