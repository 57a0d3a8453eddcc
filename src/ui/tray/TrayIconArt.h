#pragma once

#include <QIcon>

namespace murva::TrayIconArt {

// The logo, as the desktop's symbolic icon when its theme has one (the panel may recolour
// it), else the drawn tile, legible on light and dark panels; with a red mark while
// recording.
QIcon icon(bool recording);

} // namespace murva::TrayIconArt
