#include "HttpClient.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QNetworkAccessManager>

namespace murva::test {

QJsonObject HttpAnswer::json() const
{
    return QJsonDocument::fromJson(body).object();
}

HttpAnswer send(const QByteArray &method, const QUrl &url, const Headers &headers, const QByteArray &body)
{
    QNetworkAccessManager network;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(20000);
    for (const auto &[name, value] : headers) {
        request.setRawHeader(name, value);
    }
    QNetworkReply *reply = network.sendCustomRequest(request, method, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    HttpAnswer answer;
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.error = reply->error();
    answer.body = reply->readAll();
    answer.location = reply->rawHeader("Location");
    return answer;
}

HttpAnswer callApi(const QByteArray &method, const QUrl &url, const QString &token, const QJsonObject &body)
{
    Headers headers{{"Authorization", "Bearer " + token.toUtf8()}};
    QByteArray bytes;
    if (method == "POST") {
        headers.append({QByteArrayLiteral("Content-Type"), QByteArrayLiteral("application/json")});
        bytes = QJsonDocument(body).toJson(QJsonDocument::Compact);
    }
    return send(method, url, headers, bytes);
}

} // namespace murva::test
