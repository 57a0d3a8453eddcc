#include "saving/Saver.h"

#include <chrono>
#include <exception>

namespace murva {

Saver::Outcome Saver::Outcome::saved(const QString &meetingId, const std::optional<QString> &customer)
{
    Outcome outcome;
    outcome.kind = Kind::saved;
    outcome.meetingId = meetingId;
    outcome.customer = customer;
    return outcome;
}

Saver::Outcome Saver::Outcome::failed(SaveError error)
{
    Outcome outcome;
    outcome.kind = Kind::failed;
    outcome.error = error;
    return outcome;
}

Saver::Outcome Saver::Outcome::missing()
{
    Outcome outcome;
    outcome.kind = Kind::missing;
    return outcome;
}

Saver::Saver(RecorderAPI api, RecordingStore &store)
    : api_(std::move(api)), store_(&store), now_([] { return std::chrono::system_clock::now(); })
{
}

QCoro::Task<Saver::Outcome> Saver::save(const Recording &recordingRef, const Upload::Progress &progressRef) const
{
    // Copies before the first suspension: the caller's values may be gone by then.
    const Saver self = *this;
    const Upload::Progress progress = progressRef;
    RecordingStore &store = *self.store_;

    Recording record = store.get(recordingRef.id).value_or(recordingRef);
    if (record.status == Recording::Status::saved && record.begun) {
        co_return Outcome::saved(record.begun->meetingId, record.customer);
    }

    const qint64 bytes = store.videoBytes(record.id);
    if (bytes < 1) {
        if (record.begun) {
            const QString meetingId = record.begun->meetingId;
            auto cancelling = self.api_.cancel(meetingId);
            co_await cancelling;
        }
        store.remove(record.id);
        co_return Outcome::missing();
    }

    record.status = Recording::Status::saving;
    store.put(record);

    std::optional<SaveError> failure;
    try {
        if (!record.resumable(self.now_())) {
            if (record.begun) {
                // Expired: that meeting will never get its video. Forgotten once cancelled,
                // so that a begin failing next cannot make any attempt cancel it again.
                const QString expiredId = record.begun->meetingId;
                auto cancelling = self.api_.cancel(expiredId);
                co_await cancelling;
                record.begun.reset();
                store.put(record);
            }
            const BeginRequest request = BeginRequest::make(record.title, record.at, record.joinUrl, bytes,
                                                            record.durationSec, record.turns);
            auto beginning = self.api_.begin(request);
            const BeginReply reply = co_await beginning;
            // Written before the upload starts, so a crash during it can resume there.
            record.begun = Begun{reply.meetingId, reply.uploadUrl.toString(QUrl::FullyEncoded), self.now_()};
            if (reply.title) {
                record.title = *reply.title;
            }
            record.customer = reply.customer;
            store.put(record);
        }

        const QString video = store.videoPath(record.id);
        const QUrl uploadUrl(record.begun->uploadUrl);
        const Upload::Progress scaled = [progress](double fraction) {
            if (progress) {
                progress(fraction * uploadShare);
            }
        };
        auto uploading = Upload::put(video, uploadUrl, scaled);
        co_await uploading;

        const QString meetingId = record.begun->meetingId;
        auto confirming = self.api_.ready(meetingId);
        co_await confirming;
    } catch (...) {
        failure = saveErrorOf(std::current_exception());
    }

    if (failure) {
        // The service never got (or will never accept) this upload: let it go, so the
        // next try begins afresh. Other kinds keep the address for a retry.
        if ((*failure == SaveError::notUploaded || *failure == SaveError::failed) && record.begun) {
            const QString meetingId = record.begun->meetingId;
            auto cancelling = self.api_.cancel(meetingId);
            co_await cancelling;
            record.begun.reset();
        }
        record.status = Recording::Status::failed;
        store.put(record);
        co_return Outcome::failed(*failure);
    }

    if (progress) {
        progress(1.0);
    }
    store.markSaved(record);
    co_return Outcome::saved(record.begun->meetingId, record.customer);
}

} // namespace murva
