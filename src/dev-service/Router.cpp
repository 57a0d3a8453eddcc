#include "Router.h"

#include <QTimer>

namespace murva::devservice {

Router::Router(QObject *parent)
    : QObject(parent)
    , authorization_(state_)
    , recorder_(state_)
    , control_(state_, authorization_)
{
}

void Router::setBase(const QUrl &base)
{
    state_.base = base;
}

BodyPlan Router::planBody(HttpRequest &request)
{
    if (ControlRoutes::owns(request.path)) {
        return {};
    }
    request.recordIndex = state_.log.open(request);
    if (!RecorderRoutes::isUpload(request)) {
        return {};
    }
    return {recorder_.uploadSink(request), state_.faults.takeCutAfterBytes()};
}

void Router::handle(const HttpRequest &request, const std::shared_ptr<BodySink> &sink, const HttpReplier &reply)
{
    if (ControlRoutes::owns(request.path)) {
        reply(control_.handle(request));
        return;
    }
    const auto *upload = dynamic_cast<const UploadSink *>(sink.get());
    state_.log.close(request.recordIndex, upload ? upload->start() : request.body, request.bodyBytes);
    const int delayMs = state_.faults.takeDelayMs(request.path);
    if (delayMs <= 0) {
        reply(dispatch(request, sink));
        return;
    }
    QTimer::singleShot(delayMs, this, [this, request, sink, reply] { reply(dispatch(request, sink)); });
}

void Router::bodyBroken(const HttpRequest &request)
{
    if (request.recordIndex >= 0) {
        const auto empty = QByteArray();
        state_.log.close(request.recordIndex, empty, request.bodyBytes);
    }
}

HttpResponse Router::dispatch(const HttpRequest &request, const std::shared_ptr<BodySink> &sink)
{
    if (const std::optional<FaultPlan::Injection> injected = state_.faults.takeInjection(request.path)) {
        HttpResponse response;
        response.status = injected->status;
        response.body = injected->body;
        response.contentType = parseJson(injected->body) ? "application/json" : "text/plain; charset=utf-8";
        return response; // an upload answered so is dropped with its sink
    }
    if (AuthorizationServer::owns(request.path)) {
        return authorization_.handle(request);
    }
    if (RecorderRoutes::owns(request.path)) {
        return recorder_.handle(request, dynamic_cast<UploadSink *>(sink.get()));
    }
    return refusal(404, "failed");
}

} // namespace murva::devservice
