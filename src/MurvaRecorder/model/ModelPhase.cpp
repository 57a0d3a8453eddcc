#include "model/ModelPhase.h"

namespace murva {

ModelPhase ModelPhase::asking(const Call &call)
{
    ModelPhase phase;
    phase.kind_ = Kind::asking;
    phase.call_ = call;
    return phase;
}

ModelPhase ModelPhase::recording(SystemTime since)
{
    ModelPhase phase;
    phase.kind_ = Kind::recording;
    phase.since_ = since;
    return phase;
}

ModelPhase ModelPhase::saving(double progress)
{
    ModelPhase phase;
    phase.kind_ = Kind::saving;
    phase.number_ = progress;
    return phase;
}

ModelPhase ModelPhase::saved(const QString &meetingId, double seconds)
{
    ModelPhase phase;
    phase.kind_ = Kind::saved;
    phase.text_ = meetingId;
    phase.number_ = seconds;
    return phase;
}

ModelPhase ModelPhase::failed(const QString &id, SaveError reason)
{
    ModelPhase phase;
    phase.kind_ = Kind::failed;
    phase.text_ = id;
    phase.reason_ = reason;
    return phase;
}

QString ModelPhase::name(Kind kind)
{
    switch (kind) {
    case Kind::asking: return QStringLiteral("asking");
    case Kind::recording: return QStringLiteral("recording");
    case Kind::saving: return QStringLiteral("saving");
    case Kind::saved: return QStringLiteral("saved");
    case Kind::failed: return QStringLiteral("failed");
    case Kind::idle: return QStringLiteral("idle");
    }
    return {};
}

} // namespace murva
