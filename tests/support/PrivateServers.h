#pragma once

#include "AwaitTask.h"

#include <QByteArray>
#include <QDBusConnection>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <ctime>
#include <optional>

namespace murva::test {

inline constexpr std::int64_t kNsPerSec = 1'000'000'000;

// Now on CLOCK_MONOTONIC, the clock that captured sound and pictures are stamped with.
inline std::int64_t monotonicNowNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t{now.tv_sec} * kNsPerSec + now.tv_nsec;
}

inline double secondsBetween(std::int64_t fromNs, std::int64_t toNs)
{
    return double(toNs - fromNs) / kNsPerSec;
}

// Runs a tool to its end, with the variables "NAME=value" of `environment` set (those
// with no value are left as they are); true when it exited with 0.
bool runTool(const QString &program, const QStringList &arguments, QByteArray *output = nullptr,
             const QStringList &environment = {});

// Sets a variable of the environment (removes it, for an empty value) while it lives.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const QByteArray &value);
    ~ScopedEnv();

    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    const char *name_;
    std::optional<QByteArray> saved_;
};

// An Xvfb of the test's own with a white root window: for pictures no other test draws
// on, and for a display server the test may stop or kill.
class PrivateXServer {
public:
    explicit PrivateXServer(QSize screenSize = QSize(640, 480), const QStringList &extraArguments = {});
    ~PrivateXServer();

    PrivateXServer(const PrivateXServer &) = delete;
    PrivateXServer &operator=(const PrivateXServer &) = delete;

    bool running() const { return !displayName_.isEmpty(); }
    QByteArray displayName() const { return displayName_; } // ":N"
    // Sends a signal, such as SIGSTOP for a server that stops answering.
    void signal(int number);
    // Ends the server the hard way (SIGKILL), as a crash would.
    void kill();

private:
    QProcess xvfb_;
    QByteArray displayName_;
};

// A PulseAudio server of this test alone, laid out like the desktop fixture's
// ("speakers" the default sink, "mic" the default source fed by "micfeed"), that the
// test may take apart, kill and start again at the same address.
class PrivateSoundServer {
public:
    PrivateSoundServer(); // started
    ~PrivateSoundServer();

    PrivateSoundServer(const PrivateSoundServer &) = delete;
    PrivateSoundServer &operator=(const PrivateSoundServer &) = delete;

    // Starts it (again, after kill()); true once it answers with its devices in place.
    bool start();
    bool isRunning() const { return running_; }
    // "unix:/path", as libpulse takes it.
    QString address() const;
    // Runs pactl against this server.
    bool control(const QStringList &arguments, QByteArray *output = nullptr);
    // Removes the "speakers" sink, and with it the monitor the computer's sound comes from.
    bool removeSpeakers();
    // A new source `source`, fed by a new null sink `<source>feed`, made the default input.
    bool addMicrophone(const QString &source);
    void kill();

private:
    QTemporaryDir folder_;
    QProcess process_;
    QString speakersModule_;
    bool running_ = false;
};

// A private D-Bus session bus: its own dbus-daemon, stopped at the end. It starts no
// service on demand, so a service the test did not start (a secret service that would
// wait for a person to unlock it) is really missing.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();

    PrivateBus(const PrivateBus &) = delete;
    PrivateBus &operator=(const PrivateBus &) = delete;

    QString address() const { return address_; } // empty when it did not start
    QDBusConnection connection() const;

private:
    QTemporaryDir folder_;
    QProcess daemon_;
    QString address_;
    QString name_;
};

} // namespace murva::test
