#pragma once

#include "turns/Side.h"

#include <pulse/proplist.h>

#include <memory>

namespace murva::PulseProperties {

struct Free {
    void operator()(pa_proplist *list) const { pa_proplist_free(list); }
};
using List = std::unique_ptr<pa_proplist, Free>;

// Who we are to the sound server. The call watcher recognises the recorder's own
// streams by these (libpulse adds "application.process.id" by itself).
List forContext();

// The same identity again, since the environment (PULSE_PROP) may override the
// context's, plus what the stream carries.
List forStream(Side side);

// The stream's name as mixers show it.
const char *streamName(Side side);

} // namespace murva::PulseProperties
