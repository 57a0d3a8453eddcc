// The caller's cost of Log::write while four threads log at once. The file work happens
// on the log's own thread; what matters to callers is how long write() holds them.
#include "log/Log.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <vector>

namespace {

std::mutex costsMutex;
std::vector<double> costsNs;

void BM_LogWriteFromFourThreads(benchmark::State &state)
{
    std::vector<double> mine;
    mine.reserve(size_t(state.max_iterations));
    const QString text = QStringLiteral("call: started zoom owner app(zoom) link none video true thread ")
        + QString::number(state.thread_index());
    for (auto _ : state) {
        const auto before = std::chrono::steady_clock::now();
        murva::Log::write(text);
        const auto after = std::chrono::steady_clock::now();
        mine.push_back(std::chrono::duration<double, std::nano>(after - before).count());
    }
    {
        std::lock_guard lock(costsMutex);
        costsNs.insert(costsNs.end(), mine.begin(), mine.end());
    }
    if (state.thread_index() == 0) {
        murva::Log::flush(); // let the backlog drain outside the timed region of the next run
    }
}
BENCHMARK(BM_LogWriteFromFourThreads)->Threads(4)->Iterations(50000)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::sort(costsNs.begin(), costsNs.end());
    if (!costsNs.empty()) {
        const auto at = [](double fraction) { return costsNs[size_t(fraction * double(costsNs.size() - 1))]; };
        std::printf("Log::write caller cost over %zu calls: median %.2f us, p90 %.2f us, p99 %.2f us (goal: median < 5 us)\n",
                    costsNs.size(), at(0.5) / 1000, at(0.9) / 1000, at(0.99) / 1000);
    }
    return 0;
}
