#pragma once

#include <QCoroTask>
#include <QString>

#include <vector>

namespace murva {

// A program using sound right now.
struct AudioProcess {
    qint64 processID = 0;
    QString bundleIdentifier; // its application identifier, such as "us.zoom.xos"
    bool isRunningInput = false;  // records from a source (the microphone)
    bool isRunningOutput = false; // plays sound

    bool operator==(const AudioProcess &) const = default;
};

// Port: which programs use sound. The PulseAudio adapter lives with the Linux adapters;
// tests use a fake.
class AudioProcessSource {
public:
    virtual ~AudioProcessSource() = default;

    // Every program using sound, one entry per process (a process whose streams name
    // two programs, once for each), the recorder itself left out. Empty when the sound
    // server cannot be reached. Called on the main thread and resumes there; the
    // caller's thread never waits for the server (one that does not answer is given up
    // after a short time).
    virtual QCoro::Task<std::vector<AudioProcess>> processes() = 0;
};

} // namespace murva
