#pragma once

#include <chrono>
#include <string>

namespace murva {

// Whether the sound server answers and its default source is a real input, not the
// monitor of a playback device (which would record the computer's sound twice and the
// user never). Opens a connection of its own, with its own loop thread, for the one
// question; waits at most `wait`. `serverAddress` as libpulse takes it ("unix:/path");
// empty for the user's default server.
bool hasDefaultMicrophone(const std::string &serverAddress, std::chrono::milliseconds wait);

} // namespace murva
