#pragma once

#include "CommandLine.h"

#include <optional>

// The two modes that exercise the capture without the interface: "--list-windows"
// prints the windows that could be recorded, "--self-test" records through the same
// Capture and target choice as a real recording and reads the file back. Both print
// to standard output and need no window of their own, so they run on a core
// application object: "--sound-only" works with no display at all.
namespace murva::SelfTest {

// Runs the mode the options ask for and returns the process's exit status; nothing
// when neither mode applies and the application is to start normally. Call before any
// other application object exists.
std::optional<int> runIfAsked(int &argc, char **argv, const CommandLine &options);

} // namespace murva::SelfTest
