#include "desktop/DefaultMicrophone.h"

#include "pulse/PulseConnection.h"

#include <pulse/introspect.h>

#include <optional>

namespace murva {
namespace {

// Filled on the loop thread by the lookup callbacks.
struct Answer {
    PulseConnection *connection;
    std::optional<std::string> defaultSource;
    std::optional<bool> isMonitor;
};

void onServerInfo(pa_context *, const pa_server_info *info, void *userdata)
{
    auto *answer = static_cast<Answer *>(userdata);
    if (info && info->default_source_name && *info->default_source_name) {
        answer->defaultSource = info->default_source_name;
    }
    answer->connection->wake();
}

void onSourceInfo(pa_context *, const pa_source_info *info, int last, void *userdata)
{
    auto *answer = static_cast<Answer *>(userdata);
    if (!last && info) {
        answer->isMonitor = info->monitor_of_sink != PA_INVALID_INDEX;
    }
    answer->connection->wake();
}

// Lock held.
bool defaultSourceIsInput(PulseConnection &connection, PulseConnection::Deadline deadline)
{
    Answer answer{&connection, std::nullopt, std::nullopt};
    pa_context *context = connection.context();
    if (!connection.finish(pa_context_get_server_info(context, &onServerInfo, &answer), deadline)
        || !answer.defaultSource) {
        return false;
    }
    const char *name = answer.defaultSource->c_str();
    if (!connection.finish(pa_context_get_source_info_by_name(context, name, &onSourceInfo, &answer), deadline)) {
        return false;
    }
    return answer.isMonitor == false;
}

} // namespace

bool hasDefaultMicrophone(const std::string &serverAddress, std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    PulseConnection connection;
    if (connection.connect(serverAddress, deadline)) {
        return false;
    }
    PulseConnection::Lock lock(connection);
    return defaultSourceIsInput(connection, deadline);
}

} // namespace murva
