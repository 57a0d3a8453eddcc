// The saver against the local service over loopback: begin, upload and ready, resuming,
// and every failure leaving the record "failed" with its video on disk.

#include "saving/Saver.h"

#include "support/AwaitTask.h"
#include "support/DevService.h"
#include "support/Files.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>

namespace murva {
namespace {

using namespace std::chrono_literals;
using test::await;
using test::bodyOf;

constexpr qint64 kVideoBytes = 300 * 1024;

class SaverService : public testing::Test {
protected:
    void SetUp() override
    {
        service.reset();
        token = service.issueToken();
    }

    RecorderAPI api()
    {
        // Copied into the result type: QCoro 0.8 moves from a co_returned lvalue of another type.
        RecorderAPI client(service.base(), [this]() -> QCoro::Task<std::optional<QString>> {
            co_return std::optional<QString>(token);
        });
        client.setSleep([](double) -> QCoro::Task<> { co_return; }); // ready's retries are RecorderAPI's
        return client;
    }

    // An ended recording waiting for its first save, with a video of random bytes.
    Recording ended(const QString &id)
    {
        Recording recording(id, "Weekly", CallApp::zoom, std::chrono::system_clock::now() - 10min,
                            QUrl("https://zoom.us/j/123"));
        recording.durationSec = 61.5;
        recording.turns = {{0, 2.5, Side::host}, {3, 9.5, Side::guests}};
        recording.status = Recording::Status::failed;
        QByteArray bytes(kVideoBytes, Qt::Uninitialized);
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        EXPECT_TRUE(test::writeFile(store.videoPath(id), bytes));
        store.put(recording);
        return recording;
    }

    // A begin made earlier, as a save that stopped half-way would have left it.
    Begun begunEarlier(SystemTime at)
    {
        const BeginRequest request =
            BeginRequest::make("Weekly", std::chrono::system_clock::now(), std::nullopt, kVideoBytes, 62, {});
        const BeginReply reply = await(api().begin(request));
        return Begun{reply.meetingId, reply.uploadUrl.toString(), at};
    }

    Saver::Outcome save(const Recording &recording)
    {
        Saver saver(api(), store);
        return await(saver.save(recording, [this](double fraction) { progress.push_back(fraction); }));
    }

    QStringList paths()
    {
        QStringList seen;
        for (const QJsonValue &request : service.requests()) {
            seen.append(request["method"].toString() + " " + request["path"].toString());
        }
        return seen;
    }

    QJsonObject meeting(const QString &meetingId)
    {
        for (const QJsonValue &meeting : service.meetings())
            if (meeting["meetingId"].toString() == meetingId)
                return meeting.toObject();
        return {};
    }

    // What every failure must leave: the record "failed" and its whole video.
    void expectKeptForRetry(const QString &id)
    {
        const std::optional<Recording> stored = store.get(id);
        ASSERT_TRUE(stored);
        EXPECT_EQ(stored->status, Recording::Status::failed);
        EXPECT_EQ(store.videoBytes(id), kVideoBytes);
    }

    test::DevService service = test::DevService::fromEnvironment();
    QString token;
    QTemporaryDir folder;
    RecordingStore store{folder.path() + "/Recordings"};
    std::vector<double> progress;
};

TEST_F(SaverService, WholeSave)
{
    service.beginReply(QJsonObject{{"title", "Weekly sync"}, {"customer", "acme"}});
    const Recording recording = ended("r1");
    const Saver::Outcome outcome = save(recording);

    ASSERT_EQ(outcome.kind, Saver::Outcome::Kind::saved);
    EXPECT_EQ(outcome.customer, "acme");
    const QJsonObject stored = meeting(outcome.meetingId);
    EXPECT_TRUE(stored["uploaded"].toBool());
    EXPECT_TRUE(stored["ready"].toBool());
    EXPECT_EQ(stored["uploadBytes"].toInteger(), kVideoBytes);
    EXPECT_EQ(stored["uploadContentType"].toString(), "video/mp4");
    EXPECT_EQ(paths(), (QStringList{"POST /recorder/begin", "PUT /upload/" + outcome.meetingId, "POST /recorder/ready"}));

    const QJsonObject begin = bodyOf(service.requests("/recorder/begin")[0]);
    EXPECT_EQ(begin["bytes"].toInteger(), kVideoBytes);
    EXPECT_EQ(begin["durationSec"].toDouble(), 62);
    EXPECT_EQ(begin["joinUrl"].toString(), "https://zoom.us/j/123");

    const std::optional<Recording> saved = store.get("r1");
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->status, Recording::Status::saved);
    EXPECT_EQ(saved->title, "Weekly sync"); // the service's title replaces ours
    EXPECT_EQ(saved->customer, "acme");
    EXPECT_FALSE(QFile::exists(store.videoPath("r1")));

    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ(progress.back(), 1.0);
    for (std::size_t at = 0; at + 1 < progress.size(); ++at) {
        EXPECT_LE(progress[at], 0.95);
        EXPECT_LE(progress[at], progress[at + 1]);
    }

    // Saving it again asks nothing of the service.
    const std::size_t before = service.requests().size();
    EXPECT_EQ(save(recording), outcome);
    EXPECT_EQ(service.requests().size(), before);
}

TEST_F(SaverService, ResumesAYoungUploadWithoutBeginningAgain)
{
    Recording recording = ended("r2");
    recording.begun = begunEarlier(std::chrono::system_clock::now() - 600s);
    recording.customer = "stored-customer";
    store.put(recording);
    const QStringList before = paths();

    const Saver::Outcome outcome = save(recording);
    ASSERT_EQ(outcome.kind, Saver::Outcome::Kind::saved);
    EXPECT_EQ(outcome.meetingId, recording.begun->meetingId);
    EXPECT_EQ(outcome.customer, "stored-customer");
    EXPECT_EQ(paths().mid(before.size()),
              (QStringList{"PUT /upload/" + recording.begun->meetingId, "POST /recorder/ready"}));
}

TEST_F(SaverService, ExpiredUploadIsCancelledAndBegunAnew)
{
    Recording recording = ended("r3");
    recording.begun = begunEarlier(std::chrono::system_clock::now() - 3600s);
    store.put(recording);
    const QStringList before = paths();

    const Saver::Outcome outcome = save(recording);
    ASSERT_EQ(outcome.kind, Saver::Outcome::Kind::saved);
    EXPECT_NE(outcome.meetingId, recording.begun->meetingId);
    EXPECT_EQ(paths().mid(before.size()), (QStringList{"POST /recorder/cancel", "POST /recorder/begin",
                                                       "PUT /upload/" + outcome.meetingId, "POST /recorder/ready"}));
    EXPECT_TRUE(meeting(recording.begun->meetingId)["cancelled"].toBool());
}

TEST_F(SaverService, AnExpiredUploadIsCancelledOnceWhenTheNewBeginFails)
{
    // A failure that drops the begun meeting, and one that keeps it for a retry.
    for (const int status : {500, 401}) {
        SCOPED_TRACE(status);
        service.reset();
        token = service.issueToken();
        Recording recording = ended(QStringLiteral("r-expired-%1").arg(status));
        recording.begun = begunEarlier(std::chrono::system_clock::now() - 3600s);
        store.put(recording);

        service.inject("/recorder/begin", status, "", 2);
        EXPECT_EQ(save(recording).kind, Saver::Outcome::Kind::failed);
        EXPECT_EQ(save(*store.get(recording.id)).kind, Saver::Outcome::Kind::failed);
        EXPECT_EQ(service.requests("/recorder/cancel").size(), 1);
        EXPECT_FALSE(store.get(recording.id)->begun);
        expectKeptForRetry(recording.id);
    }
}

TEST_F(SaverService, RefusedBeginsKeepTheRecording)
{
    // Which status gives which kind is SaveError's business (tests/core/api).
    const Recording recording = ended("r5");
    service.inject("/recorder/begin", 403, R"({"ok": false, "error": "notOnTeam"})");
    EXPECT_EQ(save(recording), Saver::Outcome::failed(SaveError::notOnTeam));
    expectKeptForRetry("r5");

    service.inject("/recorder/begin", 500, "<html>upstream broke</html>");
    EXPECT_EQ(save(recording), Saver::Outcome::failed(SaveError::failed));
    expectKeptForRetry("r5");
    EXPECT_FALSE(store.get("r5")->begun);
    EXPECT_FALSE(paths().join('\n').contains("PUT ")); // nothing was uploaded
}

TEST_F(SaverService, LostConnectionKeepsTheAddressForARetry)
{
    const Recording recording = ended("r6");
    // Qt quietly sends a request again on a fresh connection a couple of times, so the
    // service cuts more often than that.
    service.cutUpload(64 * 1024, 5);
    EXPECT_EQ(save(recording), Saver::Outcome::failed(SaveError::offline));
    expectKeptForRetry("r6");
    const std::optional<Begun> kept = store.get("r6")->begun;
    ASSERT_TRUE(kept);
    EXPECT_EQ(service.requests("/recorder/cancel").size(), 0);

    service.reset(); // no more cuts; meetings are forgotten too, so begin it again by hand
    token = service.issueToken();
    Recording retry = *store.get("r6");
    retry.begun = begunEarlier(kept->at);
    store.put(retry);
    const Saver::Outcome outcome = save(retry);
    ASSERT_EQ(outcome.kind, Saver::Outcome::Kind::saved);
    EXPECT_EQ(service.requests("/recorder/begin").size(), 1); // only the one made by hand
}

TEST_F(SaverService, MissingVideoCancelsAndForgetsTheRecord)
{
    Recording recording = ended("r8");
    recording.begun = begunEarlier(std::chrono::system_clock::now() - 60s);
    store.put(recording);
    QFile::remove(store.videoPath("r8"));

    EXPECT_EQ(save(recording), Saver::Outcome::missing());
    EXPECT_FALSE(store.get("r8"));
    const QJsonArray cancels = service.requests("/recorder/cancel");
    ASSERT_EQ(cancels.size(), 1);
    EXPECT_EQ(bodyOf(cancels[0]), (QJsonObject{{"meetingId", recording.begun->meetingId}}));

    // Without a begun nothing is asked at all.
    const Recording bare = ended("r9");
    QFile::remove(store.videoPath("r9"));
    const std::size_t before = service.requests().size();
    EXPECT_EQ(save(bare), Saver::Outcome::missing());
    EXPECT_EQ(service.requests().size(), before);
}

// Any failed upload (an HTTP refusal is Upload's business, tests/app/saving) cancels the
// meeting and forgets the address, so the next try begins afresh.
TEST_F(SaverService, UploadsOnlyToWebAddresses)
{
    // A broken or hostile service hands out a local file as the upload address.
    QTemporaryDir elsewhere;
    const QString victim = elsewhere.path() + "/precious.txt";
    ASSERT_TRUE(test::writeFile(victim, "keep me"));
    const QString address = QUrl::fromLocalFile(victim).toString();
    service.inject("/recorder/begin", 200,
                   QJsonDocument(QJsonObject{{"meetingId", "m-file"}, {"uploadUrl", address}}).toJson());

    EXPECT_EQ(save(ended("r10")), Saver::Outcome::failed(SaveError::notUploaded));
    EXPECT_EQ(test::readFile(victim), "keep me") << "the upload overwrote a local file";
    expectKeptForRetry("r10");
    EXPECT_FALSE(store.get("r10")->begun);
    const QJsonArray cancels = service.requests("/recorder/cancel");
    ASSERT_EQ(cancels.size(), 1);
    EXPECT_EQ(bodyOf(cancels[0]), (QJsonObject{{"meetingId", "m-file"}}));
}

} // namespace
} // namespace murva
