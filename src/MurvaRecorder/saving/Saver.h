#pragma once

#include "api/RecorderAPI.h"
#include "api/SaveError.h"
#include "recordings/Recording.h"
#include "recordings/RecordingStore.h"
#include "saving/Upload.h"

#include <QCoroTask>
#include <QString>

#include <functional>
#include <optional>

namespace murva {

// Gets one stored recording to the service: begin, upload, ready. The record is written
// at every step, so a save that stops half-way can resume with the same upload address
// while it is young, and a record never loses its video before the service has it.
// Keeps no state between calls; the store must outlive every save.
class Saver {
public:
    struct Outcome {
        enum class Kind { saved, failed, missing };

        Kind kind = Kind::failed;
        QString meetingId;               // saved
        std::optional<QString> customer; // saved
        SaveError error = SaveError::failed; // failed

        static Outcome saved(const QString &meetingId, const std::optional<QString> &customer);
        static Outcome failed(SaveError error);
        static Outcome missing();

        bool operator==(const Outcome &) const = default;
    };

    // The upload's share of the progress; 1.0 is reported only after ready succeeded.
    static constexpr double uploadShare = 0.95;

    Saver(RecorderAPI api, RecordingStore &store);

    // For tests: the time a new upload address is stamped with and compared against.
    void setClock(std::function<SystemTime()> now) { now_ = std::move(now); }

    // Never throws: every failure of begin, upload or ready ends as `failed` with the
    // record written as "failed"; a recording whose video is gone is deleted (its begun
    // meeting cancelled first) and reported as `missing`. `progress` gets fractions from
    // 0 to 1 on the calling thread.
    QCoro::Task<Outcome> save(const Recording &recording, const Upload::Progress &progress) const;

private:
    RecorderAPI api_;
    RecordingStore *store_;
    std::function<SystemTime()> now_;
};

} // namespace murva
