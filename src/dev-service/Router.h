#pragma once

#include "AuthorizationServer.h"
#include "ControlRoutes.h"
#include "RecorderRoutes.h"
#include "ServiceState.h"

#include <QObject>

namespace murva::devservice {

// Sends each request to its routes. Everything but the control API is recorded and may
// be delayed, answered by an injected fault, or (for uploads) cut short.
class Router : public QObject, public HttpHandler {
    Q_OBJECT
public:
    explicit Router(QObject *parent = nullptr);

    void setBase(const QUrl &base);

    BodyPlan planBody(HttpRequest &request) override;
    void handle(const HttpRequest &request, const std::shared_ptr<BodySink> &sink,
                const HttpReplier &reply) override;
    void bodyBroken(const HttpRequest &request) override;

private:
    HttpResponse dispatch(const HttpRequest &request, const std::shared_ptr<BodySink> &sink);

    ServiceState state_;
    AuthorizationServer authorization_;
    RecorderRoutes recorder_;
    ControlRoutes control_;
};

} // namespace murva::devservice
