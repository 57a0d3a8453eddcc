#pragma once

#include <QProcess>
#include <QString>

namespace murva::test {

// A sound tool posing as another program: PULSE_PROP gives its stream that
// "application.id". Ended when destroyed.
class SoundProgram {
public:
    enum class Kind { recording, playing };

    // `server` empty: the one PULSE_SERVER names. Returns once the tool started; its
    // stream shows on the server shortly after. `pid()` is 0 when it is not running.
    SoundProgram(Kind kind, const QString &applicationID, const QString &server = {});
    ~SoundProgram();

    SoundProgram(const SoundProgram &) = delete;
    SoundProgram &operator=(const SoundProgram &) = delete;

    qint64 pid() const { return process_.state() == QProcess::Running ? process_.processId() : 0; }
    void stop();

private:
    QProcess process_;
};

} // namespace murva::test
