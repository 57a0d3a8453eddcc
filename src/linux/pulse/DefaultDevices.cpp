#include "pulse/DefaultDevices.h"

namespace murva {
namespace {

void release(pa_operation *operation)
{
    if (operation)
        pa_operation_unref(operation);
}

} // namespace

DefaultDevices::DefaultDevices(pa_context *context, std::function<void(const Defaults &)> changed)
    : context_(context)
    , changed_(std::move(changed))
{
}

DefaultDevices::~DefaultDevices()
{
    if (started_)
        pa_context_set_subscribe_callback(context_, nullptr, nullptr);
}

void DefaultDevices::start()
{
    started_ = true;
    pa_context_set_subscribe_callback(context_, &DefaultDevices::onEvent, this);
    const auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SERVER | PA_SUBSCRIPTION_MASK_SINK
                                                          | PA_SUBSCRIPTION_MASK_SOURCE);
    release(pa_context_subscribe(context_, mask, nullptr, nullptr));
    ask();
}

// Replies come in the order asked, so the last one tells the state after the last change.
void DefaultDevices::ask()
{
    release(pa_context_get_server_info(context_, &DefaultDevices::onServer, this));
}

void DefaultDevices::onEvent(pa_context *, pa_subscription_event_type_t, std::uint32_t, void *self)
{
    static_cast<DefaultDevices *>(self)->ask();
}

void DefaultDevices::onServer(pa_context *context, const pa_server_info *info, void *self)
{
    auto *devices = static_cast<DefaultDevices *>(self);
    if (!info)
        return;
    auto &lookup = devices->lookups_.emplace_back(
        std::make_unique<Lookup>(Lookup{devices, ++devices->lookupsStarted_, {}, 1}));
    if (info->default_source_name && *info->default_source_name) {
        ++lookup->pending;
        release(pa_context_get_source_info_by_name(context, info->default_source_name, &DefaultDevices::onSource,
                                                   lookup.get()));
    }
    if (info->default_sink_name && *info->default_sink_name) {
        ++lookup->pending;
        release(pa_context_get_sink_info_by_name(context, info->default_sink_name, &DefaultDevices::onSink,
                                                 lookup.get()));
    }
    answered(lookup.get());
}

// A monitor as the default source means there is no microphone left: recording it would
// put the computer's sound on the microphone's side.
void DefaultDevices::onSource(pa_context *, const pa_source_info *info, int last, void *lookup)
{
    auto *into = static_cast<Lookup *>(lookup);
    if (last == 0) {
        if (info && info->monitor_of_sink == PA_INVALID_INDEX)
            into->found.source = info->name;
        return;
    }
    answered(into);
}

// `last` is negative when the device went away meanwhile: then it does not count.
void DefaultDevices::onSink(pa_context *, const pa_sink_info *info, int last, void *lookup)
{
    auto *into = static_cast<Lookup *>(lookup);
    if (last == 0) {
        if (info && info->monitor_source_name)
            into->found.sinkMonitor = info->monitor_source_name;
        return;
    }
    answered(into);
}

void DefaultDevices::answered(Lookup *lookup)
{
    if (--lookup->pending > 0)
        return;
    DefaultDevices *devices = lookup->owner;
    const Defaults found = lookup->found;
    const bool newest = lookup->number == devices->lookupsStarted_;
    devices->lookups_.remove_if([lookup](const std::unique_ptr<Lookup> &held) { return held.get() == lookup; });
    if (newest && devices->changed_)
        devices->changed_(found);
}

} // namespace murva
