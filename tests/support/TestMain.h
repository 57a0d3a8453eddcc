#pragma once

#include <QString>

namespace murva::test {

// The private folder that HOME and the XDG folders point into for this test process.
QString privateHome();

// Whether this test runs inside the private display and sound server of the fixture.
bool hasDesktopSession();

// Whether this test has the local service of the fixture "service" (MURVA_SERVICE_URL).
bool hasService();

} // namespace murva::test
