#include "media/LibavError.h"

extern "C" {
#include <libavutil/error.h>
}

namespace murva {

QString libavErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    if (av_strerror(code, text, sizeof text) < 0) {
        return QStringLiteral("error %1").arg(code);
    }
    return QString::fromLocal8Bit(text);
}

} // namespace murva
