#include "recordings/Recording.h"

#include "support/JsonShapes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <array>
#include <utility>

namespace murva {

namespace {

constexpr std::array allStatuses{Recording::Status::recording, Recording::Status::saving,
                                 Recording::Status::failed, Recording::Status::saved};

// Reading a record is all or nothing: any required key that is missing or of the
// wrong type makes the whole record unreadable, so the readers below answer
// "nothing" and the caller gives up.
std::optional<QString> requiredString(const QJsonObject &object, const QString &key)
{
    return json::stringOf(object.value(key));
}

std::optional<double> requiredNumber(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    if (!value.isDouble())
        return std::nullopt;
    return value.toDouble();
}

std::optional<SystemTime> requiredDate(const QJsonObject &object, const QString &key)
{
    const std::optional<double> milliseconds = requiredNumber(object, key);
    if (!milliseconds)
        return std::nullopt;
    return timeFromMillisecondsSince1970(*milliseconds);
}

// An optional key: absent (or null) gives an empty value; present with the wrong type
// makes the record unreadable, hence the two layers.
using OptionalString = std::optional<std::optional<QString>>;

OptionalString optionalString(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return std::optional<QString>{};
    const std::optional<QString> text = json::stringOf(value);
    if (!text)
        return std::nullopt;
    return text;
}

std::optional<std::optional<QUrl>> optionalUrl(const QJsonObject &object, const QString &key)
{
    const OptionalString text = optionalString(object, key);
    if (!text)
        return std::nullopt;
    if (!*text)
        return std::optional<QUrl>{};
    const QUrl url(**text);
    if (!url.isValid() || url.isEmpty())
        return std::nullopt;
    return std::optional<QUrl>{url};
}

std::optional<std::optional<Begun>> optionalBegun(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return std::optional<Begun>{};
    std::optional<Begun> begun = begunFromJson(value);
    if (!begun)
        return std::nullopt;
    return begun;
}

std::optional<std::vector<Turn>> requiredTurns(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    if (!value.isArray())
        return std::nullopt;
    const QJsonArray array = value.toArray();
    std::vector<Turn> turns;
    turns.reserve(array.size());
    for (const QJsonValue &element : array) {
        std::optional<Turn> turn = turnFromJson(element);
        if (!turn)
            return std::nullopt;
        turns.push_back(*turn);
    }
    return turns;
}

} // namespace

Recording::Recording(QString id, QString title, CallApp app, SystemTime at, std::optional<QUrl> joinUrl)
    : id(std::move(id)), title(std::move(title)), app(app), at(at), joinUrl(std::move(joinUrl)), updatedAt(at)
{
}

std::optional<Begun> Recording::resumable(SystemTime now) const
{
    if (!begun)
        return std::nullopt;
    // Compared in the clock's own integer units so that the boundary is exact.
    const auto limit = std::chrono::duration_cast<SystemTime::duration>(std::chrono::duration<double>(resumableForSec));
    if (now - begun->at < limit)
        return begun;
    return std::nullopt;
}

QString rawValue(Recording::Status status)
{
    switch (status) {
    case Recording::Status::recording: return QStringLiteral("recording");
    case Recording::Status::saving: return QStringLiteral("saving");
    case Recording::Status::failed: return QStringLiteral("failed");
    case Recording::Status::saved: return QStringLiteral("saved");
    }
    Q_UNREACHABLE();
    return {};
}

std::optional<Recording::Status> statusFromRawValue(QStringView raw)
{
    for (Recording::Status status : allStatuses) {
        if (raw == rawValue(status))
            return status;
    }
    return std::nullopt;
}

QJsonObject toJson(const Begun &begun)
{
    return QJsonObject{{QStringLiteral("meetingId"), begun.meetingId},
                       {QStringLiteral("uploadUrl"), begun.uploadUrl},
                       {QStringLiteral("at"), millisecondsSince1970(begun.at)}};
}

std::optional<Begun> begunFromJson(const QJsonValue &json)
{
    if (!json.isObject())
        return std::nullopt;
    const QJsonObject object = json.toObject();
    const auto meetingId = requiredString(object, QStringLiteral("meetingId"));
    const auto uploadUrl = requiredString(object, QStringLiteral("uploadUrl"));
    const auto at = requiredDate(object, QStringLiteral("at"));
    if (!meetingId || !uploadUrl || !at)
        return std::nullopt;
    return Begun{*meetingId, *uploadUrl, *at};
}

QJsonObject toJson(const Recording &recording)
{
    QJsonArray turns;
    for (const Turn &turn : recording.turns)
        turns.append(toJson(turn));

    QJsonObject object{
        {QStringLiteral("id"), recording.id},
        {QStringLiteral("title"), recording.title},
        {QStringLiteral("app"), rawValue(recording.app)},
        {QStringLiteral("at"), millisecondsSince1970(recording.at)},
        {QStringLiteral("durationSec"), recording.durationSec},
        {QStringLiteral("turns"), turns},
        {QStringLiteral("status"), rawValue(recording.status)},
        {QStringLiteral("updatedAt"), millisecondsSince1970(recording.updatedAt)},
    };
    if (recording.joinUrl)
        object.insert(QStringLiteral("joinUrl"), recording.joinUrl->toString(QUrl::FullyEncoded));
    if (recording.begun)
        object.insert(QStringLiteral("begun"), toJson(*recording.begun));
    if (recording.customer)
        object.insert(QStringLiteral("customer"), *recording.customer);
    if (recording.connectionId)
        object.insert(QStringLiteral("connectionId"), *recording.connectionId);
    return object;
}

std::optional<Recording> recordingFromJson(const QJsonValue &json)
{
    if (!json.isObject())
        return std::nullopt;
    const QJsonObject object = json.toObject();

    const auto id = requiredString(object, QStringLiteral("id"));
    const auto title = requiredString(object, QStringLiteral("title"));
    const auto appText = requiredString(object, QStringLiteral("app"));
    const auto app = appText ? callAppFromRawValue(*appText) : std::nullopt;
    const auto at = requiredDate(object, QStringLiteral("at"));
    const auto joinUrl = optionalUrl(object, QStringLiteral("joinUrl"));
    const auto durationSec = requiredNumber(object, QStringLiteral("durationSec"));
    auto turns = requiredTurns(object, QStringLiteral("turns"));
    const auto statusText = requiredString(object, QStringLiteral("status"));
    const auto status = statusText ? statusFromRawValue(*statusText) : std::nullopt;
    const auto begun = optionalBegun(object, QStringLiteral("begun"));
    const auto customer = optionalString(object, QStringLiteral("customer"));
    const auto connectionId = optionalString(object, QStringLiteral("connectionId"));
    const auto updatedAt = requiredDate(object, QStringLiteral("updatedAt"));

    if (!id || !title || !app || !at || !joinUrl || !durationSec || !turns || !status || !begun || !customer ||
        !connectionId || !updatedAt)
        return std::nullopt;

    Recording recording(*id, *title, *app, *at, *joinUrl);
    recording.durationSec = *durationSec;
    recording.turns = std::move(*turns);
    recording.status = *status;
    recording.begun = *begun;
    recording.customer = *customer;
    recording.connectionId = *connectionId;
    recording.updatedAt = *updatedAt;
    return recording;
}

QByteArray encodeRecording(const Recording &recording)
{
    return QJsonDocument(toJson(recording)).toJson(QJsonDocument::Compact);
}

std::optional<Recording> decodeRecording(const QByteArray &bytes)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return recordingFromJson(document.object());
}

} // namespace murva
