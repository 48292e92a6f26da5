// The cost of keeping a frame's duration, as the frame loop does after each
// frame: the run record's bookkeeping and the histogram insert. Compare the
// nanoseconds with a frame's milliseconds.
#include <benchmark/benchmark.h>

#include "render/run_record.h"

namespace {

void recordFrames(benchmark::State& state)
{
    RunRecord record = openRecord(0.0);
    double now = 0.0;
    for (auto _ : state) {
        // Durations that move across the buckets, as a real run's do.
        now += 0.001 + 0.0005 * static_cast<double>(static_cast<int>(now * 7919.0) % 17);
        benchmark::DoNotOptimize(recordFrameEnd(record, now, 77824.0, 128, 128));
    }
    benchmark::DoNotOptimize(record.times.percentile(99));
}
BENCHMARK(recordFrames);

} // namespace

BENCHMARK_MAIN();
