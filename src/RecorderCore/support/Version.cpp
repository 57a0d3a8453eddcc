#include "support/Version.h"

namespace murva {

const char *buildVersion()
{
    return MURVA_BUILD_VERSION;
}

} // namespace murva
