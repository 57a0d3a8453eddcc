#pragma once

#include <QString>

namespace murva {

// The readable text of a libav error code (a negated errno or an AVERROR tag).
QString libavErrorText(int code);

} // namespace murva
