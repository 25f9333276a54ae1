// LZHUF decoding of ~10 MB of bar records against zlib inflate of the same records
// (default level). The counter "lzhuf_over_zlib" is how many times longer LZHUF takes.

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <chrono>
#include <cstring>
#include <random>
#include <stdexcept>
#include <vector>

#include "RatioReporter.h"
#include "foundation/Compress.h"
#include "foundation/LzhufEncoder.h"

namespace {

using Clock = std::chrono::steady_clock;

// 32-byte bar records: i64 date key, open/high/low/close in thousandths on a random walk,
// i64 volume: what day.dat and the K-line replies hold.
std::vector<uint8_t> BarData(size_t records) {
    std::mt19937 rng(20240607);
    std::normal_distribution<double> step(0.0, 0.012);
    std::vector<uint8_t> out(records * 32);
    double close = 12.34;
    int64_t key = 19950103;
    for (size_t i = 0; i < records; ++i) {
        double open = close * (1 + step(rng) / 4);
        double c = open * (1 + step(rng));
        double high = std::max(open, c) * (1 + std::abs(step(rng)) / 2);
        double low = std::min(open, c) * (1 - std::abs(step(rng)) / 2);
        int32_t f[4] = {int32_t(open * 1000), int32_t(high * 1000), int32_t(low * 1000),
                        int32_t(c * 1000)};
        int64_t volume = int64_t(2000000 * std::exp(step(rng) * 40));
        uint8_t* p = out.data() + i * 32;
        std::memcpy(p, &key, 8);
        std::memcpy(p + 8, f, 16);
        std::memcpy(p + 24, &volume, 8);
        close = c;
        key += (i % 5 == 4) ? 3 : 1;
    }
    return out;
}

struct Data {
    std::vector<uint8_t> raw, lzhuf, zlib;
    Data() {
        raw = BarData(10 * 1024 * 1024 / 32);
        lzhuf = LzhufEncode(raw.data(), raw.size());
        uLongf len = compressBound(raw.size());
        zlib.resize(len);
        if (compress2(zlib.data(), &len, raw.data(), raw.size(), Z_DEFAULT_COMPRESSION) != Z_OK)
            throw std::runtime_error("compress2");
        zlib.resize(len);
    }
};

const Data& GetData() {
    static const Data data;
    return data;
}

double DecodeLzhuf(const Data& d) {
    auto t0 = Clock::now();
    CCompress dec(d.lzhuf.data(), static_cast<int32_t>(d.lzhuf.size()));
    if (dec.Decode() != 1 || size_t(dec.GetOutputLength()) != d.raw.size())
        throw std::runtime_error("lzhuf decode");
    benchmark::DoNotOptimize(dec.GetOutput()[d.raw.size() - 1]);
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

double InflateZlib(const Data& d, std::vector<uint8_t>& out) {
    auto t0 = Clock::now();
    uLongf len = out.size();
    if (uncompress(out.data(), &len, d.zlib.data(), d.zlib.size()) != Z_OK || len != d.raw.size())
        throw std::runtime_error("inflate");
    benchmark::DoNotOptimize(out[len - 1]);
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

void BM_LzhufDecode(benchmark::State& state) {
    const Data& d = GetData();
    for (auto _ : state) DecodeLzhuf(d);
    state.SetBytesProcessed(int64_t(state.iterations()) * d.raw.size());
    state.counters["ratio"] = double(d.raw.size()) / d.lzhuf.size();
}

void BM_ZlibInflate(benchmark::State& state) {
    const Data& d = GetData();
    std::vector<uint8_t> out(d.raw.size());
    for (auto _ : state) InflateZlib(d, out);
    state.SetBytesProcessed(int64_t(state.iterations()) * d.raw.size());
    state.counters["ratio"] = double(d.raw.size()) / d.zlib.size();
}

// Both decoders in each iteration, so the ratio comes from one run on one machine state.
void BM_LzhufAgainstZlib(benchmark::State& state) {
    const Data& d = GetData();
    std::vector<uint8_t> out(d.raw.size());
    double lzhuf = 0, zlib = 0;
    for (auto _ : state) {
        lzhuf += DecodeLzhuf(d);
        zlib += InflateZlib(d, out);
    }
    const double mb = double(d.raw.size()) * state.iterations() / 1e6;
    state.counters["lzhuf_MB/s"] = mb / lzhuf;
    state.counters["zlib_MB/s"] = mb / zlib;
    state.counters["lzhuf_over_zlib"] = lzhuf / zlib;
}

}  // namespace

BENCHMARK(BM_LzhufDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LzhufAgainstZlib)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    RatioReporter reporter;
    reporter.AddCounterRatio("lzhuf.decode_over_zlib_inflate", "BM_LzhufAgainstZlib",
                             "lzhuf_over_zlib", 5);
    return RunBenchmarks(argc, argv, reporter);
}
