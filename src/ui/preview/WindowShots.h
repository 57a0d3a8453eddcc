#pragma once

#include <QString>

namespace murva {

// Renders the welcome, settings and home windows in their sample states into `folder`.
bool renderWindows(const QString &folder);

} // namespace murva
