#pragma once

#include "HttpMessage.h"

#include <QFile>
#include <QTemporaryDir>

namespace murva::devservice {

// Receives one upload body straight onto disk as it arrives (never whole in memory).
// Without a file it only counts and drops the bytes: a refused upload is still read to
// its end, so that the client gets the refusal instead of a broken connection.
class UploadSink : public BodySink {
public:
    UploadSink(const QString &partPath, const QString &finalPath);
    UploadSink(); // drops what it gets
    ~UploadSink() override;

    bool write(const char *data, qint64 size) override;
    bool keepsFile() const { return !finalPath_.isEmpty(); }
    // The first bytes, for the request record.
    const QByteArray &start() const { return start_; }
    // Moves the finished upload to its place; the path, or empty when that failed.
    QString commit();

private:
    QFile file_;
    QString finalPath_;
    QByteArray start_;
    bool committed_ = false;
};

// The folder where uploads land: one file per meeting, in a temporary folder that goes
// away with the service.
class UploadStore {
public:
    UploadStore();
    std::shared_ptr<UploadSink> open(const QString &meetingId);
    void remove(const QString &path);
    void clear();

private:
    QTemporaryDir folder_;
    quint64 nextPart_ = 1;
};

} // namespace murva::devservice
