// Stopping a recording, saving it, and saving what earlier runs left unsaved.
#include "model/Model.h"

#include "log/Log.h"
#include "support/WorkerTask.h"

#include <QCoreApplication>
#include <QPointer>

namespace murva {

namespace {

// A recording's duration in the log: whole seconds, cut toward zero.
QString wholeSeconds(double seconds)
{
    return QString::number(qint64(seconds));
}

} // namespace

RecordingList Model::unsaved() const
{
    RecordingList list;
    for (const Recording &record : recordings_) {
        if (record.status == Recording::Status::failed) {
            list.push_back(record);
        }
    }
    return list;
}

RecordingList Model::recent() const
{
    RecordingList list;
    for (const Recording &record : recordings_) {
        if (record.status == Recording::Status::saved && list.size() < 5) {
            list.push_back(record);
        }
    }
    return list;
}

void Model::setOutcomePhase(const Phase &phase)
{
    // While the capture of an earlier recording ends or its save runs, a new call may
    // already be recorded; its `recording` phase stays on show.
    if (isRecording()) {
        return;
    }
    setPhase(phase);
}

void Model::stopAndSave(const QString &reason)
{
    if (!capture_ || !recording_) {
        return;
    }
    Log::write(QStringLiteral("stop: ") + reason);
    const std::shared_ptr<RecordingCapture> capture = capture_;
    const Recording record = *recording_;
    clearRunning();
    busyIds_.insert(record.id);
    setPhase(Phase::saving(0));
    endAndSave(capture, record);
}

QCoro::Task<> Model::endAndSave(const std::shared_ptr<RecordingCapture> &captureArgument,
                                const Recording &recordingArgument)
{
    const std::shared_ptr<RecordingCapture> capture = captureArgument;
    Recording record = recordingArgument;
    const std::shared_ptr<RecordingStore> store = parts_.store;
    const QPointer<Model> self(this);
    auto ending = capture->end();
    const CaptureResult result = co_await ending;
    if (!self) {
        // The record stays "recording"; the next launch saves it from its file.
        co_return;
    }
    busyIds_.remove(record.id);
    if (result.durationSec < minimumRecordingSec) {
        Log::write(QStringLiteral("dropped: %1 s, a microphone test").arg(wholeSeconds(result.durationSec)));
        store->remove(record.id);
        reloadRecordings();
        setOutcomePhase(Phase::idle());
        co_return;
    }
    Log::write(QStringLiteral("recorded %1 s, %2 turns, %3 MB")
                   .arg(wholeSeconds(result.durationSec))
                   .arg(result.turns.size())
                   .arg(store->videoBytes(record.id) / 1000000));
    record.durationSec = result.durationSec;
    record.turns = result.turns;
    record.status = Recording::Status::failed;
    store->put(record);
    auto saving = save(record);
    co_await saving;
}

void Model::discard()
{
    if (!capture_ || !recording_) {
        return;
    }
    const std::shared_ptr<RecordingCapture> capture = capture_;
    const QString id = recording_->id;
    clearRunning();
    busyIds_.insert(id);
    Log::write(QStringLiteral("deleted by hand"));
    endAndDelete(capture, id);
}

QCoro::Task<> Model::endAndDelete(const std::shared_ptr<RecordingCapture> &captureArgument, const QString &idArgument)
{
    const std::shared_ptr<RecordingCapture> capture = captureArgument;
    const QString id = idArgument;
    const std::shared_ptr<RecordingStore> store = parts_.store;
    const QPointer<Model> self(this);
    auto ending = capture->end();
    co_await ending;
    // The file is closed now, so removing it leaves nothing behind.
    store->remove(id);
    if (!self) {
        co_return;
    }
    busyIds_.remove(id);
    reloadRecordings();
    setOutcomePhase(Phase::idle());
}

std::optional<QString> Model::saveAccount(const Recording &recording) const
{
    if (!recording.connectionId) {
        return activeId_ ? activeId_ : QStringLiteral("gone");
    }
    for (const AccountConnection &account : accounts_) {
        if (account.id == *recording.connectionId) {
            return account.id;
        }
    }
    // The account was removed: no other account's token may be used for it.
    return QStringLiteral("gone");
}

QCoro::Task<> Model::save(const Recording &recordingArgument)
{
    const Recording record = recordingArgument;
    const QPointer<Model> self(this);
    busyIds_.insert(record.id);
    setOutcomePhase(Phase::saving(0));
    const std::optional<QString> account = saveAccount(record);
    const Upload::Progress progress = [self](double fraction) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, fraction] {
                if (self) {
                    self->setProgress(fraction);
                }
            },
            Qt::QueuedConnection);
    };
    auto saving = parts_.service->save(account, record, progress);
    const Saver::Outcome outcome = co_await saving;
    if (!self) {
        co_return;
    }
    busyIds_.remove(record.id);
    reloadRecordings();
    switch (outcome.kind) {
    case Saver::Outcome::Kind::saved:
        Log::write(QStringLiteral("saved: meeting ") + outcome.meetingId);
        refreshTitles();
        showSaved(outcome.meetingId, record.durationSec);
        break;
    case Saver::Outcome::Kind::failed:
        Log::write(QStringLiteral("save failed: ") + rawValue(outcome.error));
        if (outcome.error == SaveError::signIn) {
            // Show the signed-out account together with the failure.
            reloadAccounts();
        }
        setOutcomePhase(Phase::failed(record.id, outcome.error));
        break;
    case Saver::Outcome::Kind::missing:
        setOutcomePhase(Phase::idle());
        break;
    }
}

void Model::showSaved(const QString &meetingId, double seconds)
{
    if (isRecording()) {
        return;
    }
    setPhase(Phase::saved(meetingId, seconds));
    // Only the latest `saved` clears itself.
    hideSaved_ = parts_.clock->after(savedShownSec, [this] {
        if (phase_.is(Phase::Kind::saved)) {
            setPhase(Phase::idle());
        }
    });
}

void Model::retry(const QString &id)
{
    if (busyIds_.contains(id)) {
        return;
    }
    const std::optional<Recording> record = parts_.store->get(id);
    if (!record) {
        return;
    }
    save(*record);
}

QCoro::Task<> Model::finishForQuit()
{
    if (!capture_ || !recording_) {
        co_return;
    }
    Log::write(QStringLiteral("stop: the app is quitting"));
    const std::shared_ptr<RecordingCapture> capture = capture_;
    Recording record = *recording_;
    const std::shared_ptr<RecordingStore> store = parts_.store;
    clearRunning();
    auto ending = capture->end();
    const CaptureResult result = co_await ending;
    if (result.durationSec < minimumRecordingSec) {
        store->remove(record.id);
        co_return;
    }
    // Nothing is uploaded while quitting; the next launch saves it.
    record.durationSec = result.durationSec;
    record.turns = result.turns;
    record.status = Recording::Status::failed;
    store->put(record);
    Log::write(QStringLiteral("kept %1 s to save at the next launch").arg(wholeSeconds(result.durationSec)));
}

QCoro::Task<double> Model::fileDurationSec(const QString &id) const
{
    const std::shared_ptr<MediaInspector> inspector = parts_.inspector;
    if (!inspector) {
        co_return 0.0;
    }
    // Reading a file of hours back takes a while: never on the main thread.
    auto reading = runOnWorker([inspector, path = parts_.store->videoPath(id)] {
        const std::optional<MediaFileInfo> info = inspector->inspect(path);
        return info ? info->durationSec : 0.0;
    });
    const double durationSec = co_await reading;
    co_return durationSec;
}

QCoro::Task<> Model::saveLeftovers()
{
    if (!signedIn_) {
        co_return;
    }
    const QPointer<Model> self(this);
    const RecordingList records = parts_.store->all();
    bool savedAny = false;
    for (Recording record : records) {
        if (record.status == Recording::Status::saved || busyIds_.contains(record.id)
            || (recording_ && recording_->id == record.id)) {
            continue;
        }
        if (record.status == Recording::Status::recording) {
            // The program stopped while recording: only what the file really holds counts.
            // Busy meanwhile, so that nothing else saves or removes it.
            busyIds_.insert(record.id);
            auto measuring = fileDurationSec(record.id);
            const double durationSec = co_await measuring;
            if (!self) {
                co_return;
            }
            busyIds_.remove(record.id);
            if (durationSec < minimumRecordingSec) {
                parts_.store->remove(record.id);
                continue;
            }
            record.durationSec = durationSec;
            // Stored first: the saver starts from the stored record, which still says 0,
            // and the service would be told the recording lasted a second.
            parts_.store->put(record);
        }
        savedAny = true;
        auto saving = save(record);
        co_await saving;
        if (!self) {
            co_return;
        }
    }
    reloadRecordings();
    // A failure of the last leftover stays on show; the other outcomes of leftovers are
    // cleared. With none saved, a question asked meanwhile stays.
    if (savedAny && !phase_.is(Phase::Kind::failed)) {
        setOutcomePhase(Phase::idle());
    }
}

} // namespace murva
