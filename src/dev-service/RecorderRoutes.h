#pragma once

#include "ServiceState.h"

namespace murva::devservice {

// The recorder API under "/recorder/" (bearer token required) and the upload address
// "/upload/<meetingId>" that begin hands out (no token, like a pre-signed address).
class RecorderRoutes {
public:
    explicit RecorderRoutes(ServiceState &state);

    static bool owns(const QString &path);
    static bool isUpload(const HttpRequest &request);
    // For an upload: the sink that takes its body, on disk when it can be accepted.
    std::shared_ptr<UploadSink> uploadSink(const HttpRequest &request);
    HttpResponse handle(const HttpRequest &request, UploadSink *upload);

private:
    HttpResponse me(const User &user);
    HttpResponse next();
    HttpResponse upcoming(const HttpRequest &request);
    HttpResponse titles(const User &user, const QJsonObject &body);
    HttpResponse begin(const User &user, const QJsonObject &body);
    HttpResponse ready(const User &user, const QJsonObject &body);
    HttpResponse cancel(const User &user, const QJsonObject &body);
    HttpResponse upload(const HttpRequest &request, UploadSink *upload);
    // Why an upload cannot be taken, or nothing when it can.
    std::optional<HttpResponse> uploadRefusal(const HttpRequest &request);

    ServiceState &state_;
};

} // namespace murva::devservice
