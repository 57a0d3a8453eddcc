#include "DevService.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QTcpServer>

#include <gtest/gtest.h>

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
    answer.body = reply->readAll();
    answer.location = reply->rawHeader("Location");
    reply->deleteLater();
    return answer;
}

QUrl closedLoopbackAddress()
{
    // A port that was just free; nothing listens on it once the server is gone.
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    const quint16 port = server.serverPort();
    server.close();
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port));
}

QJsonObject bodyOf(const QJsonValue &request)
{
    return QJsonDocument::fromJson(request["body"].toString().toUtf8()).object();
}

DevService DevService::fromEnvironment()
{
    return DevService(QUrl(qEnvironmentVariable("MURVA_SERVICE_URL")));
}

DevService::DevService(const QUrl &base)
    : base_(base)
{
}

QUrl DevService::base() const
{
    return base_;
}

QUrl DevService::url(const QString &path) const
{
    QUrl result = base_;
    result.setPath(base_.path() + path);
    return result;
}

QJsonObject DevService::call(const QByteArray &method, const QString &path, const std::optional<QJsonObject> &body)
{
    if (base_.isEmpty()) {
        ADD_FAILURE() << "no service: the test must declare FIXTURES service";
        return {};
    }
    const HttpAnswer answer = body ? send(method, url(path), {{"Content-Type", "application/json"}},
                                          QJsonDocument(*body).toJson(QJsonDocument::Compact))
                                   : send(method, url(path));
    if (answer.status != 200) {
        ADD_FAILURE() << "control call " << method.constData() << " " << qPrintable(path)
                      << " answered " << answer.status << ": " << answer.body.constData();
        return {};
    }
    return answer.json();
}

void DevService::reset()
{
    call("POST", "/control/reset", QJsonObject{});
}

QString DevService::issueToken(const QString &email)
{
    return call("POST", "/control/token", QJsonObject{{"email", email}})
        .value("accessToken")
        .toString();
}

void DevService::setReply(const QString &what, const QJsonObject &reply)
{
    call("PUT", "/control/" + what, reply);
}

void DevService::inject(const QString &path, int status, const QByteArray &body, int count)
{
    call("POST", "/control/inject",
         QJsonObject{{"path", path}, {"status", status}, {"body", QString::fromUtf8(body)}, {"count", count}});
}

void DevService::delay(const QString &path, int ms, int count)
{
    call("POST", "/control/delay", QJsonObject{{"path", path}, {"ms", ms}, {"count", count}});
}

void DevService::cutUpload(qint64 afterBytes, int count)
{
    call("POST", "/control/cut", QJsonObject{{"afterBytes", afterBytes}, {"count", count}});
}

void DevService::oauth(const QJsonObject &knobs)
{
    call("POST", "/control/oauth", knobs);
}

void DevService::beginReply(const QJsonObject &fields)
{
    call("POST", "/control/begin", fields);
}

QJsonArray DevService::requests()
{
    return call("GET", "/control/requests", std::nullopt).value("requests").toArray();
}

QJsonArray DevService::requests(const QString &path)
{
    QJsonArray matching;
    for (const QJsonValue &request : requests()) {
        if (request.toObject().value("path").toString() == path) {
            matching.append(request);
        }
    }
    return matching;
}

QJsonArray DevService::meetings()
{
    return call("GET", "/control/meetings", std::nullopt).value("meetings").toArray();
}

} // namespace murva::test
