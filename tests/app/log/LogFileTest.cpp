#include "log/Log.h"
#include "log/LogFile.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <thread>

using namespace murva;
using murva::test::readFile;

namespace {

void fillTo(const QString &path, qint64 bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_TRUE(file.resize(bytes));
}

} // namespace

TEST(LogLine, IsUtcTimeVersionAndTextOnOneLine)
{
    const QDateTime paris(QDate(2026, 3, 1), QTime(10, 5), QTimeZone("Europe/Paris"));
    EXPECT_EQ(Log::line("call: started zoom", paris, "1.2.3"),
              QByteArray("2026-03-01T09:05:00Z [1.2.3] call: started zoom\n"));
    EXPECT_EQ(Log::line(QString::fromUtf8("titre: « Réunion »"), paris, "dev"),
              QString::fromUtf8("2026-03-01T09:05:00Z [dev] titre: « Réunion »\n").toUtf8());
}

TEST(LogFile, RotatesOnlyAboveTheThresholdAndReplacesTheOldGeneration)
{
    QTemporaryDir dir;
    LogFile log(dir.filePath("Murva Recorder.log"));
    ASSERT_EQ(log.oldPath(), dir.filePath("Murva Recorder.old.log"));

    fillTo(log.path(), LogFile::kRotateAboveBytes);
    log.append("at the threshold\n");
    log.flush();
    EXPECT_EQ(QFileInfo(log.path()).size(), LogFile::kRotateAboveBytes + 17);
    EXPECT_FALSE(QFile::exists(log.oldPath()));

    // Now above: the next line starts a new file, the old content moves aside.
    log.append("first of the new file\n");
    log.flush();
    EXPECT_EQ(readFile(log.path()), "first of the new file\n");
    EXPECT_EQ(QFileInfo(log.oldPath()).size(), LogFile::kRotateAboveBytes + 17);

    // A second rotation replaces the earlier old generation.
    fillTo(log.path(), LogFile::kRotateAboveBytes + 1);
    log.append("again\n");
    log.flush();
    EXPECT_EQ(readFile(log.path()), "again\n");
    EXPECT_EQ(QFileInfo(log.oldPath()).size(), LogFile::kRotateAboveBytes + 1);
}

TEST(LogFile, RecreatesADeletedFileButNeverItsFolder)
{
    QTemporaryDir dir;
    LogFile log(dir.filePath("Murva Recorder.log"));
    log.append("one\n");
    log.flush();
    ASSERT_TRUE(QFile::remove(log.path()));
    log.append("two\n");
    log.flush();
    EXPECT_EQ(readFile(log.path()), "two\n");

    LogFile lost(dir.filePath("missing/folder/Murva Recorder.log"));
    lost.append("dropped\n");
    lost.flush();
    EXPECT_FALSE(QDir(dir.filePath("missing")).exists());
}

TEST(LogFile, DropsLinesSilentlyWhenTheFolderCannotHoldIt)
{
    // A "folder" that is a plain file refuses the log even to root.
    QTemporaryDir dir;
    QFile blocker(dir.filePath("state"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    LogFile log(dir.filePath("state/Murva Recorder.log"));
    log.append("dropped\n");
    log.append("dropped too\n");
    log.flush();
    EXPECT_EQ(QFileInfo(blocker.fileName()).size(), 0);
}

TEST(LogFile, LinesFromManyThreadsStayWholeAndInPerThreadOrder)
{
    QTemporaryDir dir;
    LogFile log(dir.filePath("Murva Recorder.log"));
    constexpr int threads = 4;
    constexpr int linesPerThread = 2000;
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t) {
        writers.emplace_back([&log, t] {
            for (int i = 0; i < linesPerThread; ++i) {
                log.append(QByteArray("thread ") + QByteArray::number(t) + " line " + QByteArray::number(i)
                           + " " + QByteArray(40, 'x') + "\n");
            }
        });
    }
    for (auto &writer : writers) {
        writer.join();
    }
    log.flush();

    std::vector<int> next(threads, 0);
    const QList<QByteArray> lines = readFile(log.path()).split('\n');
    ASSERT_EQ(lines.size(), threads * linesPerThread + 1); // the last split piece is empty
    for (const QByteArray &line : lines.first(threads * linesPerThread)) {
        const QList<QByteArray> words = line.split(' ');
        ASSERT_EQ(words.size(), 5) << line.constData();
        ASSERT_EQ(words[4], QByteArray(40, 'x'));
        const int t = words[1].toInt();
        ASSERT_EQ(words[3].toInt(), next[t]++) << "out of order for thread " << t;
    }
}
