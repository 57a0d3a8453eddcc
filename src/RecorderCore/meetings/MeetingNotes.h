#pragma once

namespace murva {

// How a saved meeting's notes stand at the service: written (with their count of next
// steps), still being written, or never to come.
class MeetingNotes {
public:
    enum class State { ready, writing, none };

    static constexpr MeetingNotes ready(int nextSteps) { return MeetingNotes(State::ready, nextSteps); }
    static constexpr MeetingNotes writing() { return MeetingNotes(State::writing, 0); }
    static constexpr MeetingNotes none() { return MeetingNotes(State::none, 0); }

    constexpr State state() const { return state_; }
    constexpr bool isReady() const { return state_ == State::ready; }
    // 0 unless ready.
    constexpr int nextSteps() const { return nextSteps_; }

    constexpr bool operator==(const MeetingNotes &) const = default;

private:
    // Only `ready` carries a count, so the defaulted comparison holds.
    constexpr MeetingNotes(State state, int nextSteps) : state_(state), nextSteps_(nextSteps) {}

    State state_;
    int nextSteps_;
};

} // namespace murva
