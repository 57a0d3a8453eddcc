#pragma once

#include "turns/Side.h"

#include <QJsonObject>
#include <QJsonValue>

#include <optional>
#include <vector>

namespace murva {

// Who spoke from when to when, in seconds from the recording's start, rounded to
// 0.1 s. Stored with the recording and sent to the service.
struct Turn {
    double from = 0;
    double to = 0;
    Side who = Side::host;

    bool operator==(const Turn &) const = default;
};

// {"from": …, "to": …, "who": "host" | "guests"} and nothing else.
QJsonObject toJson(const Turn &turn);

// Needs all three keys, numbers for the times and a known side; nothing otherwise.
std::optional<Turn> turnFromJson(const QJsonValue &json);

// `turns` with one more phrase of `who` merged in. A phrase that starts at most one
// second after the end of that side's last turn (and not before its start) extends
// it, even when the other side spoke in between; otherwise it becomes a new turn and
// the list is kept ordered by start.
std::vector<Turn> addTurn(std::vector<Turn> turns, Side who, double from, double to);

} // namespace murva
