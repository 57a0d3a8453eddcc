#pragma once

#include <QString>

namespace murva::test {

// The private folder that HOME and the XDG folders point into for this test process.
QString privateHome();

} // namespace murva::test
