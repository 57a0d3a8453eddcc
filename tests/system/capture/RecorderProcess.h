#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace murva::test {

// A murva-recorder process of the test, with every line it prints and when it came.
// Killed when destroyed.
class RecorderProcess {
public:
    struct Line {
        QString text;
        std::int64_t atNs = 0; // CLOCK_MONOTONIC time the line was read
    };

    explicit RecorderProcess(const QStringList &arguments,
                             const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    ~RecorderProcess();

    RecorderProcess(const RecorderProcess &) = delete;
    RecorderProcess &operator=(const RecorderProcess &) = delete;

    std::int64_t startedNs() const { return startedNs_; }
    qint64 pid() const { return process_.processId(); }

    // Reads until a line starts with `prefix`; nothing when the process ended or the
    // time ran out first.
    std::optional<Line> waitForLine(const QString &prefix, double limitSec);
    // Reads everything until the process ends; false when it did not within the time.
    bool waitForExit(double limitSec);
    void kill();

    const std::vector<Line> &lines() const { return lines_; }
    QStringList texts() const;
    std::optional<Line> lineStartingWith(const QString &prefix) const;
    int exitCode() const { return process_.exitCode(); }
    bool exitedNormally() const { return process_.exitStatus() == QProcess::NormalExit; }
    QString errorOutput();

private:
    bool readSome(std::int64_t deadlineNs);

    QProcess process_;
    std::int64_t startedNs_ = 0;
    std::vector<Line> lines_;
    QByteArray errors_;
};

// What the self-test's "recorded …" line says.
struct RecordedLine {
    double durationSec = 0;
    struct Turn {
        QString who;
        double from = 0;
        double to = 0;
    };
    std::vector<Turn> turns;

    static std::optional<RecordedLine> parse(const QString &line);
    std::optional<Turn> firstOf(const QString &who) const;
};

// The record streams the server lists for a process, as property maps.
std::vector<std::map<QString, QString>> sourceOutputsOf(qint64 pid);

} // namespace murva::test
