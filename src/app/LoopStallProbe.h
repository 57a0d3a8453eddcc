#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace murva {

// Measures how long the main event loop goes without turning, for benchmarks: a timer
// due every `kTickMs` that fires late by as much as the loop was held up. Every
// `kReportSec` it logs the longest hold-up since the previous report, and how much of it
// the main thread spent working (the rest it waited for a core: on a loaded machine a
// stall need not be the recorder's doing). Off (not even created) unless the
// environment sets MURVA_LOOP_PROBE.
class LoopStallProbe : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 10;
    static constexpr int kReportSec = 10;

    static void startIfAsked(QObject *parent);

    explicit LoopStallProbe(QObject *parent);

private:
    void tick();

    QTimer ticker_;
    QElapsedTimer sinceTick_;
    QElapsedTimer sinceReport_;
    qint64 threadCpuUsec_ = 0;
    qint64 longestStallMs_ = 0;
    qint64 longestStallBusyMs_ = 0;
};

} // namespace murva
