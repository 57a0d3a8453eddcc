#include "pulse/PulseConnection.h"

#include "pulse/PulseProperties.h"

#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/rtclock.h>

namespace murva {
namespace {

QString describe(int error)
{
    return QString::fromUtf8(pa_strerror(error));
}

// A time event that wakes the waiter at its deadline; freed with the lock held.
class DeadlineAlarm {
public:
    DeadlineAlarm(pa_context *context, pa_threaded_mainloop *loop, PulseConnection::Deadline deadline)
        : api_(pa_threaded_mainloop_get_api(loop))
    {
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
            deadline - std::chrono::steady_clock::now());
        const pa_usec_t leftUsec = left.count() > 0 ? static_cast<pa_usec_t>(left.count()) : 0;
        event_ = pa_context_rttime_new(context, pa_rtclock_now() + leftUsec, &ring, loop);
    }
    ~DeadlineAlarm()
    {
        if (event_)
            api_->time_free(event_);
    }
    DeadlineAlarm(const DeadlineAlarm &) = delete;
    DeadlineAlarm &operator=(const DeadlineAlarm &) = delete;

private:
    static void ring(pa_mainloop_api *, pa_time_event *, const struct timeval *, void *loop)
    {
        pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop *>(loop), 0);
    }

    pa_mainloop_api *api_;
    pa_time_event *event_ = nullptr;
};

bool isOver(pa_context_state_t state)
{
    return state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED;
}

// The text a lookup reply carries, filled on the loop thread.
struct TextReply {
    PulseConnection *connection;
    std::optional<std::string> text;
};

} // namespace

// The loop thread already holds the lock inside callbacks, and libpulse forbids taking
// it there again.
PulseConnection::Lock::Lock(PulseConnection &connection)
    : loop_(connection.inLoopThread() ? nullptr : connection.loop_)
{
    if (loop_)
        pa_threaded_mainloop_lock(loop_);
}

PulseConnection::Lock::~Lock()
{
    if (loop_)
        pa_threaded_mainloop_unlock(loop_);
}

PulseConnection::PulseConnection()
    : loop_(pa_threaded_mainloop_new())
{
    if (loop_) {
        pa_threaded_mainloop_set_name(loop_, "murva-sound");
        const auto properties = PulseProperties::forContext();
        context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_), "Murva Recorder",
                                                properties.get());
    }
    if (context_)
        pa_context_set_state_callback(context_, &PulseConnection::onContextState, this);
}

PulseConnection::~PulseConnection()
{
    stopLoop();
    if (context_) {
        // Unlinking the streams and the context calls state callbacks synchronously.
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
    }
    if (loop_)
        pa_threaded_mainloop_free(loop_);
}

std::optional<QString> PulseConnection::connect(const std::string &server, Deadline deadline)
{
    if (!context_)
        return QStringLiteral("cannot create a sound server connection");
    if (pa_threaded_mainloop_start(loop_) < 0)
        return QStringLiteral("cannot start the sound thread");
    Lock lock(*this);
    if (pa_context_connect(context_, server.empty() ? nullptr : server.c_str(), PA_CONTEXT_NOAUTOSPAWN,
                           nullptr)
        < 0)
        return QStringLiteral("no sound server: ") + lastError();
    waitUntil([this] { return isReady(); }, deadline);
    if (isReady())
        return std::nullopt;
    if (isOver(pa_context_get_state(context_)))
        return QStringLiteral("no sound server: ") + lastError();
    return QStringLiteral("the sound server did not answer in time");
}

void PulseConnection::stopLoop()
{
    if (loop_)
        pa_threaded_mainloop_stop(loop_);
}

bool PulseConnection::waitUntil(const std::function<bool()> &done, Deadline deadline)
{
    DeadlineAlarm alarm(context_, loop_, deadline);
    while (!done()) {
        if (isOver(pa_context_get_state(context_)) || std::chrono::steady_clock::now() >= deadline)
            return false;
        pa_threaded_mainloop_wait(loop_);
    }
    return true;
}

bool PulseConnection::finish(pa_operation *operation, Deadline deadline)
{
    if (!operation)
        return false;
    const bool done = waitUntil(
        [operation] { return pa_operation_get_state(operation) != PA_OPERATION_RUNNING; }, deadline);
    if (!done)
        pa_operation_cancel(operation);
    pa_operation_unref(operation);
    return done;
}

std::optional<std::string> PulseConnection::defaultSinkMonitor(Deadline deadline)
{
    TextReply sink{this, std::nullopt};
    const auto onServer = [](pa_context *, const pa_server_info *info, void *reply) {
        auto *into = static_cast<TextReply *>(reply);
        if (info && info->default_sink_name && *info->default_sink_name)
            into->text = info->default_sink_name;
        into->connection->wake();
    };
    if (!finish(pa_context_get_server_info(context_, onServer, &sink), deadline) || !sink.text)
        return std::nullopt;

    TextReply monitor{this, std::nullopt};
    const auto onSink = [](pa_context *, const pa_sink_info *info, int last, void *reply) {
        auto *into = static_cast<TextReply *>(reply);
        if (!last && info && info->monitor_source_name)
            into->text = info->monitor_source_name;
        into->connection->wake();
    };
    if (!finish(pa_context_get_sink_info_by_name(context_, sink.text->c_str(), onSink, &monitor), deadline))
        return std::nullopt;
    return monitor.text;
}

void PulseConnection::wake()
{
    pa_threaded_mainloop_signal(loop_, 0);
}

bool PulseConnection::inLoopThread() const
{
    return loop_ && pa_threaded_mainloop_in_thread(loop_);
}

bool PulseConnection::isReady() const
{
    return context_ && pa_context_get_state(context_) == PA_CONTEXT_READY;
}

QString PulseConnection::lastError() const
{
    return context_ ? describe(pa_context_errno(context_)) : QStringLiteral("no context");
}

void PulseConnection::onContextState(pa_context *context, void *self)
{
    auto *connection = static_cast<PulseConnection *>(self);
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY)
        connection->wasReady_ = true;
    if (isOver(state) && connection->wasReady_ && connection->onLost)
        connection->onLost();
    connection->wake();
}

} // namespace murva
