#include "pulse/PulseSoundCapture.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <atomic>
#include <algorithm>
#include <chrono>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace murva {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Counted {
    std::atomic<int> delivered{0};
    std::atomic<int> broken{0};

    SoundCapture::Callbacks callbacks()
    {
        return {[this](SoundBuffer) { ++delivered; }, [this] { ++broken; }};
    }
};

// A socket that takes connections and never says a word: a hung sound server.
class MuteServer {
public:
    explicit MuteServer(const QString &path)
    {
        fd_ = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray bytes = path.toLocal8Bit();
        std::memcpy(address.sun_path, bytes.constData(), std::min<std::size_t>(bytes.size(), sizeof address.sun_path - 1));
        listening_ = bind(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 && listen(fd_, 4) == 0;
    }
    ~MuteServer() { close(fd_); }
    bool listening() const { return listening_; }

private:
    int fd_ = -1;
    bool listening_ = false;
};

TEST(PulseSoundCaptureWithoutServer, FailsPromptlyAndStaysQuiet)
{
    Counted counted;
    PulseSoundCapture capture("unix:/nonexistent/murva-no-sound-server");
    const auto started = Clock::now();
    const auto error = capture.start(counted.callbacks());
    EXPECT_LT(secondsSince(started), 1.0);
    ASSERT_TRUE(error.has_value());
    EXPECT_FALSE(error->isEmpty());

    capture.stop();
    capture.stop();
    EXPECT_EQ(counted.delivered, 0);
    EXPECT_EQ(counted.broken, 0);
}

TEST(PulseSoundCaptureWithoutServer, GivesUpOnAServerThatNeverAnswers)
{
    QTemporaryDir folder;
    const QString socketPath = folder.path() + "/native";
    MuteServer mute(socketPath);
    ASSERT_TRUE(mute.listening());

    Counted counted;
    PulseSoundCapture capture("unix:" + socketPath.toStdString());
    const auto started = Clock::now();
    const auto error = capture.start(counted.callbacks());
    EXPECT_TRUE(error.has_value());
    EXPECT_LT(secondsSince(started), PulseSoundCapture::startTimeoutSec + 1.0);
    EXPECT_EQ(counted.broken, 0);
}

} // namespace
} // namespace murva
