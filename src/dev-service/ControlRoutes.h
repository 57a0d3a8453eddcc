#pragma once

#include "AuthorizationServer.h"
#include "ServiceState.h"

namespace murva::devservice {

// The control API under "/control/" that tests use to set the service up, inject
// faults and read back what it received. No token; every answer is JSON.
class ControlRoutes {
public:
    ControlRoutes(ServiceState &state, AuthorizationServer &authorization);

    static bool owns(const QString &path);
    HttpResponse handle(const HttpRequest &request);

private:
    HttpResponse post(const QString &name, const QJsonObject &body);
    HttpResponse issueToken(const QJsonObject &body);
    HttpResponse inject(const QJsonObject &body);
    HttpResponse delay(const QJsonObject &body);
    HttpResponse cut(const QJsonObject &body);
    HttpResponse notes(const QJsonObject &body);
    HttpResponse beginExtras(const QJsonObject &body);

    ServiceState &state_;
    AuthorizationServer &authorization_;
};

} // namespace murva::devservice
