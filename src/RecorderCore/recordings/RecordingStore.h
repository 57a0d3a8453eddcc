#pragma once

#include "recordings/Recording.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace murva {

// The folder of recordings: for each recording ID a record ID.json (compact JSON,
// written atomically) and, until it is saved or deleted, its video ID.mp4.
//
// Safe to use from several threads: one lock (not re-entrant) makes all, get, put and
// remove exclusive. Nothing here throws or reports an error: unreadable files are
// skipped and left in place, failed writes and removals are ignored.
class RecordingStore {
public:
    using Clock = std::function<SystemTime()>;

    // Saved records beyond this many (the newest by `at` are kept) are trimmed by markSaved.
    static constexpr int keptSavedCount = 20;

    // Creates the folder with any missing parents (a failure is ignored). `now` stamps
    // `updatedAt` on every write; tests pass their own clock.
    explicit RecordingStore(QString folder, Clock now = defaultClock());

    RecordingStore(const RecordingStore &) = delete;
    RecordingStore &operator=(const RecordingStore &) = delete;

    static Clock defaultClock(); // the system clock

    const QString &folder() const { return folder_; }

    // The local path of ID.mp4, where the capture writes the video. Does not look at
    // the disk. Ids are turned into file names inside the folder (see RecordingStore.cpp):
    // an id such as "../x" never names a file outside it.
    QString videoPath(const QString &id) const;
    QString recordPath(const QString &id) const; // ID.json

    // Every readable record, newest `at` first; empty when the folder cannot be listed.
    std::vector<Recording> all() const;

    // The record in ID.json; nothing when missing or unreadable.
    std::optional<Recording> get(const QString &id) const;

    // Writes a copy stamped with the current time as `updatedAt`; the caller's value is
    // not changed.
    void put(const Recording &recording);

    // Writes the record with status `saved`, removes its video, and deletes the saved
    // records beyond the keptSavedCount newest. The video is only removed once the
    // saved record is on disk, so a failed write never leaves a record without its video.
    void markSaved(const Recording &recording);

    // Removes ID.json, then ID.mp4 (`delete` is a C++ keyword, hence the name).
    // Removing a missing recording does nothing.
    void remove(const QString &id);

    // The size of ID.mp4 in bytes; 0 when missing. Reads without the lock.
    std::int64_t videoBytes(const QString &id) const;

private:
    // A record file as last read: its bytes, and the record they decode to (nothing
    // when unreadable).
    struct ReadFile {
        QByteArray bytes;
        std::optional<Recording> record;
    };

    std::vector<Recording> allLocked() const;
    bool writeLocked(const Recording &recording, SystemTime stamp);
    void removeLocked(const QString &id);

    const QString folder_;
    const Clock now_;
    mutable std::mutex lock_;
    // Listing reads every file each time, but decodes only files whose bytes changed
    // since the last listing: decoding is most of the cost, and the model lists the
    // folder after every change. Keyed by file name; guarded by lock_.
    mutable QHash<QString, ReadFile> lastListing_;
};

} // namespace murva
