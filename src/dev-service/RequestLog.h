#pragma once

#include "HttpMessage.h"

#include <QJsonArray>
#include <QList>

namespace murva::devservice {

// Every request the service received (control calls aside), in arrival order, so tests
// can check what a client really sent.
class RequestLog {
public:
    // Notes a request whose head has arrived; returns its serial number.
    int open(const HttpRequest &request);
    // Fills in the body once it is known: its first bytes (kept only when the whole body
    // is smaller than kMaxBodyText) and its size.
    void close(int serial, const QByteArray &bodyStart, qint64 bodyBytes);
    QJsonArray toJson() const;
    void clear();

    static constexpr qint64 kMaxBodyText = 64 * 1024;

private:
    struct Entry {
        int serial = 0;
        QJsonObject request;
    };
    QList<Entry> entries_;
    int nextSerial_ = 1;
};

} // namespace murva::devservice
