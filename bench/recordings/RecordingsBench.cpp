// Listing the recordings folder, as the model does at launch and after every save:
// RecordingStore::all() over 1000 records (goal: under 50 ms). Each record carries an
// hour-long call's worth of turns (120, one every 30 s; 20 for a short call), so the
// files are the size real ones reach.
// "again": a store that has listed the folder before (the model's case after a save);
// "first": a new store each time (launch), which decodes every file.

#include "recordings/RecordingStore.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace murva {
namespace {

Recording makeRecording(int index, int turnsPerRecord)
{
    const SystemTime at = timeFromMillisecondsSince1970(1765015200000.25) + std::chrono::minutes(90 * index);
    Recording recording(QStringLiteral("B7E3A9C2-%1").arg(index, 6, 10, QLatin1Char('0')),
                        QStringLiteral("Weekly product sync %1").arg(index), CallApp::meet, at,
                        QUrl(QStringLiteral("https://meet.google.com/abc-defg-hij")));
    recording.durationSec = 3600.4;
    for (int turn = 0; turn < turnsPerRecord; ++turn)
        recording.turns.push_back({turn * 30.0, turn * 30.0 + 27.5, turn % 2 ? Side::guests : Side::host});
    recording.status = index % 3 ? Recording::Status::saved : Recording::Status::failed;
    recording.begun = Begun{QStringLiteral("meeting-%1").arg(index),
                            QStringLiteral("https://upload.example.com/v/%1?sig=0123456789abcdef").arg(index), at};
    recording.customer = QStringLiteral("acme");
    recording.connectionId = QStringLiteral("connection-1");
    return recording;
}

void fillFolder(const QString &folder, int count, int turnsPerRecord)
{
    RecordingStore store(folder);
    for (int index = 0; index < count; ++index)
        store.put(makeRecording(index, turnsPerRecord));
}

void checkCount(benchmark::State &state, const std::vector<Recording> &recordings, int count)
{
    if (recordings.size() != static_cast<std::size_t>(count))
        state.SkipWithError("records missing");
    benchmark::DoNotOptimize(recordings.data());
}

void allAgain(benchmark::State &state)
{
    QTemporaryDir folder;
    const auto count = static_cast<int>(state.range(0));
    fillFolder(folder.path(), count, static_cast<int>(state.range(1)));
    RecordingStore store(folder.path());
    store.all();
    // One record changes between listings, as after a save.
    Recording changed = makeRecording(0, static_cast<int>(state.range(1)));
    for (auto _ : state) {
        state.PauseTiming();
        changed.durationSec += 1;
        store.put(changed);
        state.ResumeTiming();
        checkCount(state, store.all(), count);
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void allFirst(benchmark::State &state)
{
    QTemporaryDir folder;
    const auto count = static_cast<int>(state.range(0));
    fillFolder(folder.path(), count, static_cast<int>(state.range(1)));
    for (auto _ : state) {
        RecordingStore store(folder.path());
        checkCount(state, store.all(), count);
    }
    state.SetItemsProcessed(state.iterations() * count);
}

BENCHMARK(allAgain)->Args({1000, 120})->Args({1000, 20})->Unit(benchmark::kMillisecond);
BENCHMARK(allFirst)->Args({1000, 120})->Args({1000, 20})->Unit(benchmark::kMillisecond);

} // namespace
} // namespace murva

BENCHMARK_MAIN();
