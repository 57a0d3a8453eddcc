#include "UploadStore.h"

#include "RequestLog.h"

#include <QDir>

#include <algorithm>

namespace murva::devservice {

UploadSink::UploadSink(const QString &partPath, const QString &finalPath)
    : file_(partPath)
    , finalPath_(finalPath)
{
    file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
}

UploadSink::UploadSink() = default;

UploadSink::~UploadSink()
{
    if (keepsFile() && !committed_) {
        file_.close();
        file_.remove();
    }
}

bool UploadSink::write(const char *data, qint64 size)
{
    if (start_.size() < RequestLog::kMaxBodyText) {
        start_.append(data, std::min(size, RequestLog::kMaxBodyText - start_.size()));
    }
    if (!keepsFile()) {
        return true;
    }
    return file_.isOpen() && file_.write(data, size) == size;
}

QString UploadSink::commit()
{
    if (!keepsFile() || !file_.isOpen()) {
        return {};
    }
    file_.close();
    QFile::remove(finalPath_);
    if (!file_.rename(finalPath_)) {
        return {};
    }
    committed_ = true;
    return finalPath_;
}

UploadStore::UploadStore() = default;

std::shared_ptr<UploadSink> UploadStore::open(const QString &meetingId)
{
    // Each upload writes its own part file, so a retry never mixes with a cut attempt.
    const QString part = folder_.filePath(QStringLiteral("%1.%2.part").arg(meetingId).arg(nextPart_++));
    return std::make_shared<UploadSink>(part, folder_.filePath(meetingId + QStringLiteral(".mp4")));
}

void UploadStore::remove(const QString &path)
{
    if (!path.isEmpty()) {
        QFile::remove(path);
    }
}

void UploadStore::clear()
{
    QDir folder(folder_.path());
    for (const QString &name : folder.entryList(QDir::Files)) {
        if (name.endsWith(QLatin1String(".mp4"))) {
            folder.remove(name);
        }
    }
}

} // namespace murva::devservice
