#pragma once

#include "calls/CallModel.h"
#include "recordings/RecordDate.h"
#include "turns/Turn.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringView>
#include <QUrl>

#include <optional>
#include <vector>

namespace murva {

// A save that the service has accepted to begin: where to upload, and when that
// address was handed out (it is only good for a while, see Recording::resumable).
struct Begun {
    QString meetingId;
    QString uploadUrl; // the text of a URL given by the service
    SystemTime at{};

    bool operator==(const Begun &) const = default;
};

// One recorded call: what the service needs to accept it later and how far saving got.
// Stored as ID.json beside the video ID.mp4 (see RecordingStore).
struct Recording {
    enum class Status {
        recording, // being recorded: the state of a new record
        saving,    // a save to the service is under way
        failed,    // ended and not on the service yet (never tried, or the last try failed)
        saved,     // the service has it; the video has been removed
    };

    // An upload address older than this is not reused; the save begins again.
    static constexpr double resumableForSec = 3000;

    QString id; // also the base name of the two files
    QString title;
    CallApp app = CallApp::other;
    SystemTime at{}; // when the recording started
    std::optional<QUrl> joinUrl;
    double durationSec = 0;
    std::vector<Turn> turns;
    Status status = Status::recording;
    std::optional<Begun> begun;
    std::optional<QString> customer;     // the service's "customer" when the save began
    std::optional<QString> connectionId; // the account the recording is saved with
    SystemTime updatedAt{};              // when the record was last written

    Recording() = default;
    // A new record: no duration, no turns, status `recording`, updatedAt = at.
    Recording(QString id, QString title, CallApp app, SystemTime at, std::optional<QUrl> joinUrl = std::nullopt);

    // `begun` while it is younger than resumableForSec at `now` (one from the future
    // counts as young); nothing otherwise.
    std::optional<Begun> resumable(SystemTime now) const;

    bool operator==(const Recording &) const = default;
};

// "recording", "saving", "failed", "saved".
QString rawValue(Recording::Status status);
// Exact, case-sensitive match; nothing for any other text.
std::optional<Recording::Status> statusFromRawValue(QStringView raw);

// {"meetingId", "uploadUrl", "at"}; all three are required when reading.
QJsonObject toJson(const Begun &begun);
std::optional<Begun> begunFromJson(const QJsonValue &json);

// The record's JSON object. Dates are numbers of milliseconds since 1970 with their
// fraction; absent optional fields ("joinUrl", "begun", "customer", "connectionId") are
// left out. Reading needs every other key with the right type: a record missing one,
// or naming an unknown app or status, is unreadable (nothing). A present optional key
// that is null counts as absent.
QJsonObject toJson(const Recording &recording);
std::optional<Recording> recordingFromJson(const QJsonValue &json);

// The file form: compact JSON of toJson / a whole document read by recordingFromJson.
QByteArray encodeRecording(const Recording &recording);
std::optional<Recording> decodeRecording(const QByteArray &bytes);

} // namespace murva
