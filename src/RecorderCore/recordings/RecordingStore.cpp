#include "recordings/RecordingStore.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <utility>

namespace murva {

namespace {

// The file name base of a recording id. Ids are normally UUIDs and pass unchanged;
// anything that could leave the folder or hide a file ("/", a leading ".", as in "..")
// is percent-escaped, and "%" itself so that the mapping stays one to one.
QString fileBase(const QString &id)
{
    if (id.isEmpty())
        return QStringLiteral("%");
    QString base;
    base.reserve(id.size());
    for (qsizetype index = 0; index < id.size(); ++index) {
        const QChar character = id.at(index);
        if (character == u'%')
            base += QStringLiteral("%25");
        else if (character == u'/')
            base += QStringLiteral("%2F");
        else if (character == QChar(0))
            base += QStringLiteral("%00");
        else if (character == u'.' && index == 0)
            base += QStringLiteral("%2E");
        else
            base += character;
    }
    return base;
}

// Read errors are ignored: an unreadable file is simply not a record.
std::optional<QByteArray> readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

std::optional<Recording> readRecord(const QString &path)
{
    const std::optional<QByteArray> bytes = readBytes(path);
    return bytes ? decodeRecording(*bytes) : std::nullopt;
}

bool newestFirst(const Recording &a, const Recording &b)
{
    return a.at > b.at;
}

} // namespace

RecordingStore::RecordingStore(QString folder, Clock now) : folder_(std::move(folder)), now_(std::move(now))
{
    QDir().mkpath(folder_);
}

RecordingStore::Clock RecordingStore::defaultClock()
{
    return [] { return std::chrono::system_clock::now(); };
}

QString RecordingStore::videoPath(const QString &id) const
{
    return folder_ + u'/' + fileBase(id) + QStringLiteral(".mp4");
}

QString RecordingStore::recordPath(const QString &id) const
{
    return folder_ + u'/' + fileBase(id) + QStringLiteral(".json");
}

std::vector<Recording> RecordingStore::all() const
{
    std::lock_guard guard(lock_);
    return allLocked();
}

std::vector<Recording> RecordingStore::allLocked() const
{
    std::vector<Recording> records;
    QHash<QString, ReadFile> listing;
    // Hidden files count too: the folder is ours, and the listing matches a plain
    // directory read. A folder that cannot be listed yields nothing.
    QDirIterator entries(folder_, QDir::Files | QDir::Hidden | QDir::System);
    while (entries.hasNext()) {
        entries.next();
        // Exactly "json": QSaveFile's temporary files end otherwise, so a write in
        // progress is never listed, and neither is "d.JSON".
        if (entries.fileInfo().suffix() != QLatin1String("json"))
            continue;
        std::optional<QByteArray> bytes = readBytes(entries.filePath());
        if (!bytes)
            continue;
        const auto earlier = lastListing_.constFind(entries.fileName());
        ReadFile file = earlier != lastListing_.cend() && earlier->bytes == *bytes
                            ? *earlier
                            : ReadFile{*bytes, decodeRecording(*bytes)};
        if (file.record)
            records.push_back(*file.record);
        listing.insert(entries.fileName(), std::move(file));
    }
    lastListing_ = std::move(listing);
    std::stable_sort(records.begin(), records.end(), newestFirst);
    return records;
}

std::optional<Recording> RecordingStore::get(const QString &id) const
{
    std::lock_guard guard(lock_);
    return readRecord(recordPath(id));
}

void RecordingStore::put(const Recording &recording)
{
    const SystemTime stamp = now_();
    std::lock_guard guard(lock_);
    writeLocked(recording, stamp);
}

bool RecordingStore::writeLocked(const Recording &recording, SystemTime stamp)
{
    Recording stamped = recording;
    stamped.updatedAt = stamp;
    // QSaveFile writes a temporary file beside the record and renames it over the old
    // one on commit, so readers see the old or the new record, never a part of one.
    QSaveFile file(recordPath(recording.id));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = encodeRecording(stamped);
    if (file.write(bytes) != bytes.size())
        return false; // the unfinished temporary file goes with `file`
    return file.commit();
}

void RecordingStore::markSaved(const Recording &recording)
{
    Recording saved = recording;
    saved.status = Recording::Status::saved;
    const SystemTime stamp = now_();
    bool written = false;
    {
        std::lock_guard guard(lock_);
        written = writeLocked(saved, stamp);
    }
    // Without the saved record on disk the old one (saving or failed) would stay and be
    // tried again without its video, which would cancel a meeting the service already
    // has. Keeping the video lets the next save finish the job instead.
    if (!written)
        return;
    QFile::remove(videoPath(recording.id));

    std::vector<Recording> savedRecords;
    {
        std::lock_guard guard(lock_);
        savedRecords = allLocked();
    }
    std::erase_if(savedRecords, [](const Recording &record) { return record.status != Recording::Status::saved; });
    for (std::size_t index = keptSavedCount; index < savedRecords.size(); ++index)
        remove(savedRecords[index].id);
}

void RecordingStore::remove(const QString &id)
{
    std::lock_guard guard(lock_);
    removeLocked(id);
}

void RecordingStore::removeLocked(const QString &id)
{
    QFile::remove(recordPath(id));
    QFile::remove(videoPath(id));
}

std::int64_t RecordingStore::videoBytes(const QString &id) const
{
    const QFileInfo video(videoPath(id));
    return video.isFile() ? video.size() : 0;
}

} // namespace murva
