#include "RecordingTestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <thread>

namespace murva {
namespace {

using test::morning;
using test::sampleRecording;
using test::writeFile;
using Status = Recording::Status;

class RecordingStoreTest : public ::testing::Test {
protected:
    QString folder() const { return temporary.path() + "/Murva Recorder/Recordings"; }

    Recording stored(const QString &id, SystemTime at, Status status, int videoBytes = 10)
    {
        const Recording recording = sampleRecording(id, at, status);
        store.put(recording);
        if (videoBytes > 0)
            writeFile(store.videoPath(id), QByteArray(videoBytes, 'v'));
        return recording;
    }

    std::vector<QString> listedIds()
    {
        std::vector<QString> ids;
        for (const Recording &recording : store.all())
            ids.push_back(recording.id);
        return ids;
    }

    QTemporaryDir temporary;
    test::ManualClock clock;
    RecordingStore store{folder(), clock.function()};
};

TEST_F(RecordingStoreTest, PutThenGetGivesTheRecordStampedWithTheWriteTime)
{
    EXPECT_TRUE(QFileInfo(folder()).isDir());
    Recording recording = sampleRecording("r1", morning());
    recording.begun = Begun{"m1", "https://upload.example/r1", morning(30)};

    clock.now = morning(90) + std::chrono::nanoseconds(250'000);
    store.put(recording);
    Recording expected = recording;
    expected.updatedAt = clock.now;
    EXPECT_EQ(store.get("r1"), expected);

    clock.now = morning(95);
    recording.title = "Renamed";
    store.put(recording);
    EXPECT_EQ(store.get("r1")->title, "Renamed");
    EXPECT_EQ(store.get("r1")->updatedAt, morning(95));
    EXPECT_FALSE(store.get("missing"));
}

TEST_F(RecordingStoreTest, AllListsReadableJsonRecordsNewestFirstAndLeavesTheRestAlone)
{
    stored("ten", morning(0), Status::failed);
    stored("nine", morning(-60), Status::saved, 0);
    stored("eleven", morning(60), Status::recording);

    const QByteArray valid = encodeRecording(sampleRecording("x", morning(5)));
    const std::map<QString, QByteArray> others{
        {"b.json", "not json"},
        {"c.txt", valid},
        {"d.JSON", valid},
        {"f.json", valid.left(valid.size() / 2)},
        {"g.json.k3Jx9a", valid}, // an atomic write's temporary file
    };
    for (const auto &[name, bytes] : others)
        ASSERT_TRUE(writeFile(folder() + "/" + name, bytes));
    QDir().mkdir(folder() + "/h.json");

    EXPECT_EQ(listedIds(), (std::vector<QString>{"eleven", "ten", "nine"}));
    EXPECT_FALSE(store.get("f"));
    for (const auto &[name, bytes] : others)
        EXPECT_EQ(test::readFile(folder() + "/" + name), bytes) << name.toStdString() << " stays untouched";
}

TEST_F(RecordingStoreTest, AllSeesFilesChangedBehindItsBack)
{
    stored("r1", morning(0), Status::saving);
    stored("r2", morning(1), Status::saving);
    ASSERT_EQ(store.all().size(), 2u);

    // Another store on the same folder rewrites r1 to a record of the same length; r2 is
    // damaged and r3 appears.
    RecordingStore other(folder(), clock.function());
    Recording changed = *store.get("r1");
    changed.status = Status::failed;
    other.put(changed);
    writeFile(store.recordPath("r2"), "{");
    other.put(sampleRecording("r3", morning(2)));

    const std::vector<Recording> listed = store.all();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].id, "r3");
    EXPECT_EQ(listed[1].status, Status::failed);
    other.remove("r3");
    EXPECT_EQ(listedIds(), std::vector<QString>{"r1"});
}

TEST_F(RecordingStoreTest, MarkSavedRemovesTheVideoAndKeepsTheTwentyNewestSaved)
{
    for (int index = 0; index < 22; ++index)
        stored(QString("saved-%1").arg(index), morning(index), Status::saved, 0);
    stored("old-failed", morning(-500), Status::failed);
    Recording newest = stored("newest", morning(100), Status::saving, 1234);
    EXPECT_EQ(store.videoBytes("newest"), 1234);
    newest.begun = Begun{"m1", "https://upload.example/r1", morning(101)};

    clock.now = morning(120);
    store.markSaved(newest);

    Recording expected = newest;
    expected.status = Status::saved;
    expected.updatedAt = morning(120);
    EXPECT_EQ(store.get("newest"), expected);
    EXPECT_EQ(store.videoBytes("newest"), 0);

    const std::vector<QString> kept = listedIds();
    EXPECT_EQ(kept.size(), 21u); // 20 saved and the failed one
    for (const char *gone : {"saved-0", "saved-1", "saved-2"})
        EXPECT_EQ(std::count(kept.begin(), kept.end(), gone), 0) << gone;
    EXPECT_EQ(store.videoBytes("old-failed"), 10) << "unsaved recordings are never trimmed";
}

TEST_F(RecordingStoreTest, RemoveDeletesBothFilesAndIgnoresMissingOnes)
{
    stored("r1", morning(), Status::failed, 100);
    stored("r2", morning(1), Status::failed, 100);
    store.remove("r1");
    store.remove("r1");
    store.remove("never-there");
    EXPECT_FALSE(QFileInfo::exists(store.recordPath("r1")));
    EXPECT_EQ(store.videoBytes("r1"), 0);
    EXPECT_EQ(store.videoBytes("r2"), 100);
    EXPECT_EQ(listedIds(), std::vector<QString>{"r2"});
}

TEST_F(RecordingStoreTest, IdsNeverNameFilesOutsideTheFolder)
{
    const QStringList ids{"../escape", "..", "a/../../b", ".hidden", "", "%2F", "/"};
    for (const QString &id : ids) {
        store.put(sampleRecording(id, morning()));
        EXPECT_EQ(store.get(id)->id, id);
        EXPECT_EQ(QFileInfo(store.videoPath(id)).absolutePath(), folder());
    }
    QDirIterator everything(temporary.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (everything.hasNext()) {
        const QFileInfo file(everything.next());
        EXPECT_EQ(file.absolutePath(), folder());
        EXPECT_FALSE(file.fileName().startsWith('.')) << "hidden: " << file.fileName().toStdString();
    }
    EXPECT_EQ(store.all().size(), std::size_t(ids.size())) << "distinct ids keep distinct files";

    store.remove("../escape");
    EXPECT_FALSE(store.get("../escape"));
}

// Readers go through this store and through a second one on the same folder: only
// atomic file replacement keeps the second, which does not share the first one's lock,
// from reading half-written records.
TEST_F(RecordingStoreTest, ConcurrentWritersAndReadersSeeOnlyWholeRecords)
{
    constexpr int writers = 4;
    constexpr int recordsPerWriter = 20;
    RecordingStore other(folder(), clock.function());
    store.put(sampleRecording("hot", morning()));
    std::atomic<bool> writing{true};
    std::atomic<int> readFailures{0};

    std::vector<std::thread> readers;
    for (RecordingStore *reading : {&store, &other}) {
        readers.emplace_back([&, reading] {
            std::size_t seen = 0;
            while (writing) {
                // Only puts happen: a record once listed never disappears.
                const std::size_t count = reading->all().size();
                readFailures += count < seen;
                seen = count;
            }
        });
    }
    readers.emplace_back([&] {
        while (writing)
            readFailures += !other.get("hot");
    });
    std::vector<std::thread> threads;
    for (int writer = 0; writer < writers; ++writer) {
        threads.emplace_back([&, writer] {
            for (int index = 0; index < recordsPerWriter; ++index) {
                Recording recording = sampleRecording(QString("w%1-%2").arg(writer).arg(index), morning(index));
                store.put(recording);
                recording.durationSec = index;
                store.put(recording);
                if (index % 10 == 9)
                    store.markSaved(recording);
                store.put(sampleRecording("hot", morning(index)));
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    writing = false;
    for (std::thread &thread : readers)
        thread.join();

    EXPECT_EQ(readFailures, 0);
    EXPECT_EQ(store.all().size(), std::size_t(writers * recordsPerWriter + 1));
    EXPECT_EQ(store.get("w3-19")->durationSec, 19);
    EXPECT_EQ(store.get("w3-19")->status, Status::saved);
}

} // namespace
} // namespace murva
