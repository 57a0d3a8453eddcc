#include "turns/Turn.h"

#include <algorithm>
#include <cmath>

namespace murva {

namespace {

const QString fromKey = QStringLiteral("from");
const QString toKey = QStringLiteral("to");
const QString whoKey = QStringLiteral("who");

// Nearest tenth, halves away from zero.
double roundToTenth(double seconds)
{
    return std::round(seconds * 10) / 10;
}

// The last turn of `who`, looking from the end; the other side's turns are skipped.
std::vector<Turn>::iterator lastTurnOf(std::vector<Turn> &turns, Side who)
{
    auto found = std::find_if(turns.rbegin(), turns.rend(), [who](const Turn &turn) { return turn.who == who; });
    return found == turns.rend() ? turns.end() : std::prev(found.base());
}

} // namespace

QJsonObject toJson(const Turn &turn)
{
    return QJsonObject{{fromKey, turn.from}, {toKey, turn.to}, {whoKey, rawValue(turn.who)}};
}

std::optional<Turn> turnFromJson(const QJsonValue &json)
{
    const QJsonObject object = json.toObject();
    const QJsonValue from = object.value(fromKey);
    const QJsonValue to = object.value(toKey);
    const QJsonValue who = object.value(whoKey);
    if (!from.isDouble() || !to.isDouble() || !who.isString())
        return std::nullopt;
    const std::optional<Side> side = sideFromRawValue(who.toString());
    if (!side)
        return std::nullopt;
    return Turn{from.toDouble(), to.toDouble(), *side};
}

std::vector<Turn> addTurn(std::vector<Turn> turns, Side who, double from, double to)
{
    const auto last = lastTurnOf(turns, who);
    if (last != turns.end() && from - last->to <= 1.0 && from >= last->from) {
        last->to = std::max(last->to, roundToTenth(to));
        return turns;
    }
    const Turn added{roundToTenth(from), roundToTenth(to), who};
    const auto byStart = [](const Turn &a, const Turn &b) { return a.from < b.from; };
    // The list is normally ordered already: inserting after every turn that starts no
    // later is what a stable sort would do, without sorting the whole list again.
    if (std::is_sorted(turns.begin(), turns.end(), byStart)) {
        turns.insert(std::upper_bound(turns.begin(), turns.end(), added, byStart), added);
    } else {
        turns.push_back(added);
        std::stable_sort(turns.begin(), turns.end(), byStart);
    }
    return turns;
}

} // namespace murva
