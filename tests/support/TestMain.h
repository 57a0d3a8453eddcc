#pragma once

#include <QString>

#include <memory>

class QCoreApplication;

namespace murva::test {

// The private folder that HOME and the XDG folders point into for this test process.
QString privateHome();

// Whether this test runs inside the private display and sound server of the fixture.
bool hasDesktopSession();

// Whether this test has the local service of the fixture "service" (MURVA_SERVICE_URL).
bool hasService();

// A test program of widgets defines this to make a QApplication; the others get a
// QCoreApplication.
std::unique_ptr<QCoreApplication> makeApplication(int &argc, char **argv) __attribute__((weak));

} // namespace murva::test
