#pragma once

#include "calls/CallModel.h"

#include <QSet>
#include <QUrl>

#include <chrono>
#include <optional>

namespace murva {

// What one poll saw.
struct Snapshot {
    QSet<AudioOwner> input;  // owners of processes using the microphone right now
    QSet<AudioOwner> output; // owners of processes playing sound right now
    std::optional<CallPage> page;

    bool operator==(const Snapshot &) const = default;
};

// The call being followed.
struct Call {
    CallApp app;
    std::optional<QUrl> joinUrl;
    // False while a browser holds the microphone but no call page has been recognised
    // (the app is then `other`).
    bool sure;
    AudioOwner owner;

    bool operator==(const Call &) const = default;
};

// The answer to one observation.
class CallEvent {
public:
    enum class Kind { started, changed, ended };

    static CallEvent started(Call call) { return CallEvent(Kind::started, std::move(call)); }
    static CallEvent changed(Call call) { return CallEvent(Kind::changed, std::move(call)); }
    static CallEvent ended() { return CallEvent(Kind::ended, std::nullopt); }

    Kind kind() const { return kind_; }
    // The call as first seen (`started`) or as improved (`changed`); nothing for `ended`.
    const std::optional<Call> &call() const { return call_; }

    bool operator==(const CallEvent &) const = default;

private:
    CallEvent(Kind kind, std::optional<Call> call) : kind_(kind), call_(std::move(call)) {}

    Kind kind_;
    std::optional<Call> call_;
};

// Decides from successive snapshots when a call starts, when what is known about it
// improves, and when it ends. Holds no timer and reads no clock: each observation
// brings its time. A monotonic clock is used so that a wall-clock step cannot stretch
// or cut short the quiet before a call ends.
class CallWatch {
public:
    using Time = std::chrono::steady_clock::time_point;

    // Called once per poll, with times that do not go backwards.
    std::optional<CallEvent> observe(const Snapshot &snapshot, Time now);

    // The call a snapshot shows when none is being followed. Only microphone use starts
    // a call; among native apps the earliest `CallApp` wins.
    static std::optional<Call> call(const Snapshot &in);

    const std::optional<Call> &current() const { return current_; }

private:
    std::optional<double> quietLimitSec(const Call &call, const Snapshot &snapshot) const;
    bool ended(const Call &call, const Snapshot &snapshot, Time now);
    std::optional<CallEvent> improvement(const Snapshot &snapshot);

    std::optional<Call> current_;
    // Start of the present quiet stretch; kept across a change of limit.
    std::optional<Time> quietSince_;
    static constexpr double quietSec = 5;
    // Grace for a browser that still plays sound but shows no call page.
    static constexpr double browserQuietSec = 120;
};

} // namespace murva
