#pragma once

#include "api/SaveError.h"
#include "calls/CallWatch.h"

#include "recordings/RecordDate.h"

#include <QMetaType>
#include <QString>

#include <optional>

namespace murva {

// What the recording flow shows: a question about a call, a recording under way, a save
// in progress or its outcome, or nothing. Two phases are equal when their kinds and
// payloads are equal.
class ModelPhase {
public:
    enum class Kind { asking, recording, saving, saved, failed, idle };

    ModelPhase() = default; // idle

    static ModelPhase asking(const Call &call);
    static ModelPhase recording(SystemTime since);
    static ModelPhase saving(double progress);
    static ModelPhase saved(const QString &meetingId, double seconds);
    static ModelPhase failed(const QString &id, SaveError reason);
    static ModelPhase idle() { return {}; }

    Kind kind() const { return kind_; }
    bool is(Kind kind) const { return kind_ == kind; }

    // Payloads; each is meaningful only for its own kind.
    const std::optional<Call> &call() const { return call_; }   // asking
    SystemTime since() const { return since_; }                   // recording
    double progress() const { return number_; }                  // saving
    const QString &meetingId() const { return text_; }           // saved
    double seconds() const { return number_; }                   // saved
    const QString &id() const { return text_; }                  // failed
    SaveError reason() const { return reason_; }                 // failed

    bool operator==(const ModelPhase &) const = default;

    // "asking", "recording", ...
    static QString name(Kind kind);

private:
    Kind kind_ = Kind::idle;
    std::optional<Call> call_;
    SystemTime since_{};
    double number_ = 0;
    QString text_;
    SaveError reason_ = SaveError::failed;
};

} // namespace murva

Q_DECLARE_METATYPE(murva::ModelPhase)
