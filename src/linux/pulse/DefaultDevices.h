#pragma once

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/subscribe.h>

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>

namespace murva {

// Watches which devices the server takes by default: the source (the microphone) and
// the monitor of the sink (the computer's sound).
//
// Lives on the loop of its context, like RecordStream: create, start and destroy it with
// the loop locked or stopped. `changed` runs on the loop thread with the lock held,
// after `start` and after every change of the server, its sinks or its sources. Replies
// still pending when the context goes away are never delivered.
class DefaultDevices {
public:
    struct Defaults {
        std::string source;      // empty when there is none, or it is a monitor
        std::string sinkMonitor; // empty when there is no default sink
    };

    DefaultDevices(pa_context *context, std::function<void(const Defaults &)> changed);
    ~DefaultDevices();

    DefaultDevices(const DefaultDevices &) = delete;
    DefaultDevices &operator=(const DefaultDevices &) = delete;

    // Subscribes to the server's changes and asks for the defaults once.
    void start();
    // Asks for the defaults again.
    void ask();

private:
    static void onEvent(pa_context *context, pa_subscription_event_type_t type, std::uint32_t index, void *self);
    static void onServer(pa_context *context, const pa_server_info *info, void *self);
    // The device lookups that follow one reply of the server; reported when all are in,
    // unless a newer reply came meanwhile.
    struct Lookup {
        DefaultDevices *owner;
        std::uint64_t number;
        Defaults found;
        int pending = 1;
    };
    static void onSource(pa_context *context, const pa_source_info *info, int last, void *lookup);
    static void onSink(pa_context *context, const pa_sink_info *info, int last, void *lookup);
    static void answered(Lookup *lookup);

    pa_context *context_;
    std::function<void(const Defaults &)> changed_;
    std::list<std::unique_ptr<Lookup>> lookups_;
    std::uint64_t lookupsStarted_ = 0;
    bool started_ = false;
};

} // namespace murva
