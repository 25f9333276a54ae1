// Parsing 1,000,000 32-byte bar records out of a CBuffer field by field, as the reply
// and file parsers do, against one memcpy of the same bytes into the same records.
// The counter "over_memcpy" is how many times longer the parse takes; the ratio lines
// take its median over the repetitions.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <random>
#include <vector>

#include "RatioReporter.h"
#include "foundation/Buffer.h"

namespace {

using Clock = std::chrono::steady_clock;

struct DayItem {
    int64_t key;
    int32_t open, high, low, close;
    int64_t volume;
};
static_assert(sizeof(DayItem) == 32);

constexpr size_t kRecords = 1000000;

const std::vector<uint8_t>& RecordBytes() {
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> b(kRecords * 32);
        std::mt19937_64 rng(5);
        for (auto& x : b) x = static_cast<uint8_t>(rng());
        return b;
    }();
    return bytes;
}

void Fill(CBuffer& buf, bool locked) {
    const auto& bytes = RecordBytes();
    buf.Clear();
    buf.m_bShrinkLocked = locked;
    buf.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

double Parse(CBuffer& buf, std::vector<DayItem>& items) {
    auto t0 = Clock::now();
    for (DayItem& it : items) {
        it.key = buf.ReadInt64();
        it.open = buf.ReadInt32();
        it.high = buf.ReadInt32();
        it.low = buf.ReadInt32();
        it.close = buf.ReadInt32();
        it.volume = buf.ReadInt64();
    }
    benchmark::DoNotOptimize(items.data());
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

double Copy(const std::vector<uint8_t>& bytes, std::vector<DayItem>& items) {
    auto t0 = Clock::now();
    std::memcpy(items.data(), bytes.data(), bytes.size());
    benchmark::DoNotOptimize(items.data());
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// locked = 1: a whole decoded file (the owner locks it against shrinking); locked = 0: a
// message body in a buffer that gives memory back as it is read.
void BM_ParseAgainstMemcpy(benchmark::State& state) {
    const bool locked = state.range(0) != 0;
    std::vector<DayItem> items(kRecords);
    CBuffer buf;
    double parse = 0, copy = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Fill(buf, locked);
        state.ResumeTiming();
        parse += Parse(buf, items);
        copy += Copy(RecordBytes(), items);
    }
    state.counters["parse_ms"] = parse * 1e3 / state.iterations();
    state.counters["memcpy_ms"] = copy * 1e3 / state.iterations();
    state.counters["over_memcpy"] = parse / copy;
}

}  // namespace

BENCHMARK(BM_ParseAgainstMemcpy)->Arg(1)->Arg(0)->ArgName("locked")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    RatioReporter reporter;
    reporter.AddCounterRatio("buffer.parse_file_over_memcpy", "BM_ParseAgainstMemcpy/locked:1",
                             "over_memcpy", 2);
    reporter.AddCounterRatio("buffer.parse_message_over_memcpy", "BM_ParseAgainstMemcpy/locked:0",
                             "over_memcpy", 3.5);
    return RunBenchmarks(argc, argv, reporter);
}
