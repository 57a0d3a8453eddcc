// A child process for the writer's tests: writes made-up media as fast as it can and
// reports its progress on standard output, so that a test can kill it at a known point
// or watch it run out of disk space.
//
//   media-writer-helper write PATH SECONDS WIDTH HEIGHT
//       Prints "written N" after each second, then waits to be killed.
//   media-writer-helper full-disk FOLDER BYTES
//       Writes sound into a file in FOLDER that can take only about BYTES (a private
//       tmpfs of that size, or a file size limit where mounting is not allowed), then
//       reports what the writer and the inspector say.

#include "SyntheticMedia.h"

#include "media/LibavMediaInspector.h"
#include "media/Mp4Writer.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace murva;

namespace {

void say(const char *format, auto... values)
{
    std::printf(format, values...);
    std::putchar('\n');
    std::fflush(stdout);
}

int writeMedia(const QString &path, int seconds, QSize frameSize)
{
    Mp4Writer writer;
    if (auto problem = writer.open({path, !frameSize.isEmpty(), frameSize})) {
        say("open failed: %s", qPrintable(*problem));
        return 1;
    }
    const bool written = SyntheticMedia(frameSize).write(writer, seconds, [](int second) {
        say("written %d", second);
    });
    if (!written) {
        say("append failed: %s", qPrintable(writer.errorText()));
    }
    while (written) {
        ::pause();
    }
    return 1;
}

// The mount lives in this process's own namespace and vanishes with it. Without the
// right to mount (not root), a file size limit stands in.
bool mountSmallDisk(const QString &folder, long bytes)
{
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return false;
    }
    const QByteArray options = "size=" + QByteArray::number(qlonglong(bytes));
    return ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()) == 0;
}

void limitFileSize(long bytes)
{
    std::signal(SIGXFSZ, SIG_IGN); // a write past the limit then fails with EFBIG
    const rlimit limit{rlim_t(bytes), rlim_t(bytes)};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

int fillDisk(const QString &folder, long bytes)
{
    const bool mounted = mountSmallDisk(folder, bytes);
    if (!mounted) {
        limitFileSize(bytes);
    }
    say("limit %s", mounted ? "tmpfs" : "file size");
    const QString path = folder + "/recording.mp4";
    Mp4Writer writer;
    if (auto problem = writer.open({path, false, {}})) {
        say("open failed: %s", qPrintable(*problem));
        return 1;
    }
    int secondsWritten = 0;
    SyntheticMedia(QSize()).write(writer, 120, [&](int second) { secondsWritten = second; });
    say("failed %d after %d: %s", int(writer.failed()), secondsWritten, qPrintable(writer.errorText()));
    const std::vector<float> more(4800, 0.0f);
    say("append after failure %d", int(writer.appendAudio(120 * 48000, more.data(), more.size())));
    say("finish %d", int(writer.finish()));
    say("file bytes %lld", qlonglong(QFileInfo(path).size()));
    const auto info = LibavMediaInspector().inspect(path);
    say("inspected %d %.3f %d", int(info.has_value()), info ? info->durationSec : 0.0,
        info ? int(info->tracks.size()) : 0);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const QByteArray mode = argc > 1 ? argv[1] : "";
    if (mode == "write" && argc >= 6) {
        return writeMedia(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]),
                          QSize(std::atoi(argv[4]), std::atoi(argv[5])));
    }
    if (mode == "full-disk" && argc >= 4) {
        return fillDisk(QString::fromLocal8Bit(argv[2]), std::atol(argv[3]));
    }
    std::fprintf(stderr, "usage: %s write PATH SECONDS WIDTH HEIGHT | full-disk FOLDER BYTES\n", argv[0]);
    return 2;
}
