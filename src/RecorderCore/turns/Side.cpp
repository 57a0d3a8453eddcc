#include "turns/Side.h"

namespace murva {

QString rawValue(Side side)
{
    return side == Side::host ? QStringLiteral("host") : QStringLiteral("guests");
}

std::optional<Side> sideFromRawValue(QStringView raw)
{
    for (Side side : bothSides) {
        if (raw == rawValue(side))
            return side;
    }
    return std::nullopt;
}

} // namespace murva
