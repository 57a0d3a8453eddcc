#include "pulse/PulseProperties.h"

namespace murva::PulseProperties {
namespace {

void addIdentity(pa_proplist *list)
{
    pa_proplist_sets(list, PA_PROP_APPLICATION_NAME, "Murva Recorder");
    pa_proplist_sets(list, PA_PROP_APPLICATION_ID, "dev.murva.recorder");
}

} // namespace

List forContext()
{
    List list(pa_proplist_new());
    addIdentity(list.get());
    return list;
}

List forStream(Side side)
{
    List list(pa_proplist_new());
    addIdentity(list.get());
    pa_proplist_sets(list.get(), PA_PROP_MEDIA_NAME, streamName(side));
    // "production" is a recording tool's role; "phone" would make the server duck or
    // cork other programs' sound, the call included.
    pa_proplist_sets(list.get(), PA_PROP_MEDIA_ROLE, "production");
    return list;
}

const char *streamName(Side side)
{
    return side == Side::host ? "Microphone" : "Computer sound";
}

} // namespace murva::PulseProperties
