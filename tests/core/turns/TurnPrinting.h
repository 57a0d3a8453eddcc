#pragma once

#include "turns/Turn.h"

#include <ostream>

namespace murva {

// Readable failure messages for turn lists.
inline void PrintTo(const Turn &turn, std::ostream *out)
{
    *out << rawValue(turn.who).toStdString() << ' ' << turn.from << "–" << turn.to;
}

} // namespace murva
