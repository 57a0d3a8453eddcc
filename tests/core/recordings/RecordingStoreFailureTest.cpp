// The store never throws and never loses a recording when the disk refuses a write.

#include "RecordingTestSupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace murva {
namespace {

using test::morning;
using test::sampleRecording;
using test::writeFile;

void useEveryOperation(RecordingStore &store, const Recording &recording)
{
    EXPECT_NO_THROW({
        store.put(recording);
        store.markSaved(recording);
        store.remove(recording.id);
    });
}

TEST(RecordingStoreFailure, FolderThatCannotBeCreatedGivesNothing)
{
    QTemporaryDir temporary;
    ASSERT_TRUE(writeFile(temporary.path() + "/a-file", "x"));
    RecordingStore store(temporary.path() + "/a-file/Recordings");
    useEveryOperation(store, sampleRecording("r1", morning()));
    EXPECT_TRUE(store.all().empty());
    EXPECT_FALSE(store.get("r1"));
}

// A folder in the record's place makes the write fail even for root, whom file modes
// do not stop.
TEST(RecordingStoreFailure, FailedSavedWriteKeepsTheVideo)
{
    QTemporaryDir temporary;
    RecordingStore store(temporary.path());
    ASSERT_TRUE(writeFile(store.videoPath("r1"), QByteArray(500, 'v')));
    ASSERT_TRUE(QDir().mkpath(store.recordPath("r1") + "/occupied"));

    store.markSaved(sampleRecording("r1", morning()));
    // Without its saved record, the next launch would find a recording without video
    // and cancel the meeting the service already has.
    EXPECT_EQ(store.videoBytes("r1"), 500);
}

TEST(RecordingStoreFailure, ReadOnlyFolderKeepsEveryRecordAndVideo)
{
    QTemporaryDir temporary;
    RecordingStore store(temporary.path() + "/Recordings");
    Recording recording = sampleRecording("r1", morning());
    store.put(recording);
    ASSERT_TRUE(writeFile(store.videoPath("r1"), QByteArray(500, 'v')));
    const std::optional<Recording> before = store.get("r1");

    const auto writable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    QFile::setPermissions(store.folder(), QFile::ReadOwner | QFile::ExeOwner);
    if (writeFile(store.folder() + "/probe", "x")) {
        QFile::setPermissions(store.folder(), writable);
        GTEST_SKIP() << "file modes do not bind this user (root)";
    }
    recording.title = "Changed";
    useEveryOperation(store, recording);
    EXPECT_EQ(store.get("r1"), before);
    EXPECT_EQ(store.all().size(), 1u);
    EXPECT_EQ(store.videoBytes("r1"), 500);
    EXPECT_EQ(QDir(store.folder()).entryList(QDir::Files).size(), 2) << "no temporary files left behind";
    QFile::setPermissions(store.folder(), writable);
}

} // namespace
} // namespace murva
