#include "LoopStallProbe.h"

#include "log/Log.h"

#include <algorithm>

namespace murva {

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
}

void LoopStallProbe::tick()
{
    longestStallMs_ = std::max(longestStallMs_, sinceTick_.restart() - kTickMs);
    if (sinceReport_.elapsed() >= kReportSec * 1000) {
        Log::write(QStringLiteral("loop: longest stall %1 ms in %2 s").arg(longestStallMs_).arg(kReportSec));
        longestStallMs_ = 0;
        sinceReport_.restart();
    }
}

} // namespace murva
