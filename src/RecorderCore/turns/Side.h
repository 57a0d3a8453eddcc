#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <optional>

namespace murva {

// Who is heard: the user at the microphone, or the other participants in the
// computer's sound.
enum class Side { host, guests };

constexpr std::array<Side, 2> bothSides{Side::host, Side::guests};

// Dense index for per-side arrays.
constexpr std::size_t sideIndex(Side side)
{
    return static_cast<std::size_t>(side);
}

// The JSON spelling: "host" or "guests".
QString rawValue(Side side);

// Exact, case-sensitive match; nothing for any other text.
std::optional<Side> sideFromRawValue(QStringView raw);

} // namespace murva
