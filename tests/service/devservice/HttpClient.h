#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QNetworkReply>
#include <QPair>
#include <QUrl>

namespace murva::test {

struct HttpAnswer {
    int status = 0; // 0: no HTTP reply
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray body;
    QByteArray location;

    QJsonObject json() const;
};

using Headers = QList<QPair<QByteArray, QByteArray>>;

// One request through QNetworkAccessManager, waited for synchronously; redirects are
// not followed.
HttpAnswer send(const QByteArray &method, const QUrl &url, const Headers &headers = {},
                const QByteArray &body = {});
// A request to the recorder API with a bearer token and a JSON body.
HttpAnswer callApi(const QByteArray &method, const QUrl &url, const QString &token,
                   const QJsonObject &body = {});

} // namespace murva::test
