#include "LoopWatchdog.h"

// Linked into the tests of the model, the call watcher and the sign-in: every task they
// await must leave the event loop turning.
namespace {
const bool watching = (murva::test::LoopWatchdog::onForEveryAwait() = true);
}
