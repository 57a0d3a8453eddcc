#include "LoopStallProbe.h"

#include "log/Log.h"

#include <time.h>

namespace murva {
namespace {

qint64 threadCpuUsec()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

} // namespace

void LoopStallProbe::startIfAsked(QObject *parent)
{
    if (qEnvironmentVariableIsSet("MURVA_LOOP_PROBE")) {
        new LoopStallProbe(parent);
    }
}

LoopStallProbe::LoopStallProbe(QObject *parent) : QObject(parent)
{
    ticker_.setTimerType(Qt::PreciseTimer);
    connect(&ticker_, &QTimer::timeout, this, &LoopStallProbe::tick);
    ticker_.start(kTickMs);
    sinceTick_.start();
    sinceReport_.start();
    threadCpuUsec_ = threadCpuUsec();
}

void LoopStallProbe::tick()
{
    const qint64 stallMs = sinceTick_.restart() - kTickMs;
    const qint64 cpuUsec = threadCpuUsec();
    if (stallMs > longestStallMs_) {
        longestStallMs_ = stallMs;
        longestStallBusyMs_ = (cpuUsec - threadCpuUsec_) / 1000;
    }
    threadCpuUsec_ = cpuUsec;
    if (sinceReport_.elapsed() >= kReportSec * 1000) {
        Log::write(QStringLiteral("loop: longest stall %1 ms (busy %2 ms) in %3 s")
                       .arg(longestStallMs_)
                       .arg(longestStallBusyMs_)
                       .arg(kReportSec));
        longestStallMs_ = 0;
        longestStallBusyMs_ = 0;
        sinceReport_.restart();
    }
}

} // namespace murva
