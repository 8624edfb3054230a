// Cost per key operation on one animated float, at 10^3 and 10^6 keys.
#include "hxcore/hxapp.h"
#include "hxcore/hxfloatproperty.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <memory>

namespace {

std::unique_ptr<HxFloatProperty> trackWith(int keys)
{
    auto property = std::make_unique<HxFloatProperty>(nullptr, "value", "Value");
    for (int i = 0; i < keys; ++i)
        property->setValue(i * 160, float(i % 100));
    return property;
}

// Recording forward: each key lands after the last one.
void BM_AppendKey(benchmark::State& state)
{
    auto property = trackWith(int(state.range(0)));
    HxTime time = HxTime(state.range(0)) * 160;
    for (auto _ : state) {
        property->setValue(time, 1.0f);
        time += 160;
    }
    state.SetItemsProcessed(state.iterations());
}

// A new key between two existing ones, then removing it again, so the track
// keeps its size: timed setValue amid the keys plus a one-key deleteKeys.
// Walking forward is what re-recording over animation does; jumping about
// adds the machine's memory latency on a track larger than its caches.
void insertAmidKeys(benchmark::State& state, int stride)
{
    const int n = int(state.range(0));
    auto property = trackWith(n);
    int i = 0;
    for (auto _ : state) {
        HxTime time = int((i * std::int64_t(stride)) % (n - 1)) * 160 + 80;
        property->setValue(time, 2.0f);
        property->deleteKeys(HxTimeRange(time, time));
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_InsertAmidKeysForward(benchmark::State& state)
{
    insertAmidKeys(state, 1);
}

void BM_InsertAmidKeysScattered(benchmark::State& state)
{
    insertAmidKeys(state, 7919);
}

// Replacing the value of an existing key.
void BM_ReplaceKey(benchmark::State& state)
{
    const int n = int(state.range(0));
    auto property = trackWith(n);
    int i = 0;
    for (auto _ : state) {
        property->setValue(int((i * std::int64_t(7919)) % n) * 160, 3.0f);
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}

// Removing a short stretch (10 keys) from the middle of the track, then
// putting it back so every iteration sees the same track.
void BM_DeleteShortRange(benchmark::State& state)
{
    const int n = int(state.range(0));
    auto property = trackWith(n);
    const HxTime start = (n / 2) * 160;
    for (auto _ : state) {
        property->deleteKeys(HxTimeRange(start, start + 9 * 160));
        state.PauseTiming();
        for (int k = 0; k < 10; ++k)
            property->setValue(start + k * 160, 1.0f);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_EvaluateBetweenKeys(benchmark::State& state)
{
    const int n = int(state.range(0));
    auto property = trackWith(n);
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(property->getValue(int((i * std::int64_t(7919)) % (n - 1)) * 160 + 80));
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(BM_AppendKey)->Arg(1000)->Arg(1000000);
BENCHMARK(BM_InsertAmidKeysForward)->Arg(1000)->Arg(1000000);
BENCHMARK(BM_InsertAmidKeysScattered)->Arg(1000)->Arg(1000000);
BENCHMARK(BM_ReplaceKey)->Arg(1000)->Arg(1000000);
BENCHMARK(BM_DeleteShortRange)->Arg(1000)->Arg(1000000);
BENCHMARK(BM_EvaluateBetweenKeys)->Arg(1000)->Arg(1000000);

BENCHMARK_MAIN();
