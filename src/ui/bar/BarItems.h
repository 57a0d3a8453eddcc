#pragma once

#include "model/ModelPhase.h"

#include <QString>

#include <vector>

namespace murva {

// What a button of the recording bar does.
enum class BarCommand { none, record, notNow, stopAndSave, openMeeting, connect, tryAgain };

// One piece of the bar, left to right, in the current language.
struct BarItem {
    enum class Kind { indicator, checkBadge, alertBadge, text, note, progress, primaryButton, secondaryButton, closeButton };
    Kind kind = Kind::text;
    QString text;
    BarCommand command = BarCommand::none;
    double progress = 0; // 0 to 1

    bool operator==(const BarItem &) const = default;
};

// The bar's content in `phase` at `now`; empty when idle (the bar is hidden then). A
// note goes under the text before it.
std::vector<BarItem> barItems(const ModelPhase &phase, SystemTime now);

} // namespace murva
