// MACD, KDJ and BOLL of the shipped catalogue over 1,000,000 bars through the formula engine,
// against hand-written loops of the same mathematics in the same run; and the time to compile
// the whole catalogue. Prints the engine / loop ratio of each indicator at the end.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "RatioReporter.h"
#include "formula/YBIndClass.h"
#include "formula/engine/KlineLight.h"
#include "marketdata/DayItem.h"

namespace {

constexpr int kBars = 1000000;

const std::vector<CFloatDayItem>& Bars() {
    static const std::vector<CFloatDayItem> bars = [] {
        std::vector<CFloatDayItem> b(kBars);
        uint32_t seed = 12345;
        double price = 20;
        for (int i = 0; i < kBars; ++i) {
            seed = seed * 1664525u + 1013904223u;
            double move = (static_cast<double>(seed >> 8) / 16777216.0 - 0.5) * 0.04;
            double open = price;
            price = std::max(1.0, price * (1 + move));
            b[static_cast<size_t>(i)].m_nTime = 20000000 + i;
            b[static_cast<size_t>(i)].m_fOpen = open;
            b[static_cast<size_t>(i)].m_fClose = price;
            b[static_cast<size_t>(i)].m_fHigh = std::max(open, price) * 1.005;
            b[static_cast<size_t>(i)].m_fLow = std::min(open, price) * 0.995;
            b[static_cast<size_t>(i)].m_fVolume = 1000 + (seed & 0xFFFF);
        }
        return b;
    }();
    return bars;
}

void LoadCatalogue() {
    static bool done = [] {
        GetYBIndClass()->Read(std::string(TARROW_SOURCE_DIR) + "/resources/Sys.xml");
        CYBIndClass::SetUp();
        return true;
    }();
    (void)done;
}

void RunIndicator(benchmark::State& state, const char* name) {
    LoadCatalogue();
    auto ind = FindInd(name);
    if (!ind) {
        state.SkipWithError("indicator missing from Sys.xml");
        return;
    }
    auto& bars = const_cast<std::vector<CFloatDayItem>&>(Bars());
    ind->InitialCalc(CIndSecuCode(1, "600000"), 4, 1);
    ind->m_pBars = bars.data();
    ind->m_nBarCount = kBars;
    ind->m_nCalcFirst = 0;
    ind->m_nCalcEnd = kBars;
    // A chart shows its last hundred bars or so; the axis range is taken over those.
    ind->m_nShowFirst = kBars - 120;
    ind->m_nShowEnd = kBars;
    ind->MakeRoom(kBars);
    // A pane computes its indicator again on every new bar and every change of the range;
    // its first calculation sizes the buffers, as the loops' arrays are made before timing.
    ind->Calc(0, kBars);
    for (auto _ : state) {
        ind->Calc(0, kBars);
        benchmark::DoNotOptimize(ind->m_aExps.back().m_aValues.data());
    }
    if (ind->m_nLastStatus != 0) state.SkipWithError(ind->m_strLastError.c_str());
}

void Engine_MACD(benchmark::State& s) {
    RunIndicator(s, "MACD");
}
void Engine_KDJ(benchmark::State& s) {
    RunIndicator(s, "KDJ");
}
void Engine_BOLL(benchmark::State& s) {
    RunIndicator(s, "BOLL");
}

void Loop_MACD(benchmark::State& state) {
    const auto& bars = Bars();
    std::vector<double> dif(kBars), dea(kBars), macd(kBars);
    for (auto _ : state) {
        double e12 = bars[0].m_fClose, e26 = e12, d = 0;
        for (int i = 0; i < kBars; ++i) {
            double c = bars[static_cast<size_t>(i)].m_fClose;
            if (i) {
                e12 = (2 * c + 11 * e12) / 13;
                e26 = (2 * c + 25 * e26) / 27;
            }
            double df = e12 - e26;
            d = i ? (2 * df + 8 * d) / 10 : df;
            dif[static_cast<size_t>(i)] = df;
            dea[static_cast<size_t>(i)] = d;
            macd[static_cast<size_t>(i)] = (df - d) * 2;
        }
        benchmark::DoNotOptimize(macd.data());
    }
}

void Loop_KDJ(benchmark::State& state) {
    const auto& bars = Bars();
    std::vector<double> K(kBars), D(kBars), J(kBars);
    for (auto _ : state) {
        std::deque<int> hq, lq;
        double k = 0, d = 0;
        for (int i = 0; i < kBars; ++i) {
            const auto& b = bars[static_cast<size_t>(i)];
            while (!hq.empty() && bars[static_cast<size_t>(hq.back())].m_fHigh < b.m_fHigh)
                hq.pop_back();
            hq.push_back(i);
            while (!lq.empty() && bars[static_cast<size_t>(lq.back())].m_fLow > b.m_fLow)
                lq.pop_back();
            lq.push_back(i);
            if (hq.front() <= i - 9) hq.pop_front();
            if (lq.front() <= i - 9) lq.pop_front();
            double hh = bars[static_cast<size_t>(hq.front())].m_fHigh,
                   ll = bars[static_cast<size_t>(lq.front())].m_fLow;
            double rsv = hh == ll ? 0 : (b.m_fClose - ll) / (hh - ll) * 100;
            k = i ? (rsv + 2 * k) / 3 : rsv;
            d = i ? (k + 2 * d) / 3 : k;
            K[static_cast<size_t>(i)] = k;
            D[static_cast<size_t>(i)] = d;
            J[static_cast<size_t>(i)] = 3 * k - 2 * d;
        }
        benchmark::DoNotOptimize(J.data());
    }
}

void Loop_BOLL(benchmark::State& state) {
    const auto& bars = Bars();
    std::vector<double> mid(kBars), ub(kBars), lb(kBars);
    for (auto _ : state) {
        double s = 0, q = 0;
        const double pivot = bars[0].m_fClose;
        for (int i = 0; i < kBars; ++i) {
            double c = bars[static_cast<size_t>(i)].m_fClose - pivot;
            s += c;
            q += c * c;
            if (i >= 20) {
                double o = bars[static_cast<size_t>(i - 20)].m_fClose - pivot;
                s -= o;
                q -= o * o;
            }
            if (i >= 19) {
                double m = s / 20, sd = std::sqrt(std::max(0.0, (q - s * s / 20) / 19));
                mid[static_cast<size_t>(i)] = m + pivot;
                ub[static_cast<size_t>(i)] = m + pivot + 2 * sd;
                lb[static_cast<size_t>(i)] = m + pivot - 2 * sd;
            }
        }
        benchmark::DoNotOptimize(lb.data());
    }
}

void CompileCatalogue(benchmark::State& state) {
    LoadCatalogue();
    CYBIndClass* cat = GetYBIndClass();
    for (auto _ : state) {
        for (int i = 0; i < cat->GetSize(); ++i) {
            CKlineLight copy = cat->GetAt(i);
            std::string msg;
            int f, l;
            benchmark::DoNotOptimize(copy.EvalLight(msg, f, l));
        }
    }
    state.counters["indicators"] = cat->GetSize();
}

BENCHMARK(Engine_MACD)->Unit(benchmark::kMillisecond);
BENCHMARK(Loop_MACD)->Unit(benchmark::kMillisecond);
BENCHMARK(Engine_KDJ)->Unit(benchmark::kMillisecond);
BENCHMARK(Loop_KDJ)->Unit(benchmark::kMillisecond);
BENCHMARK(Engine_BOLL)->Unit(benchmark::kMillisecond);
BENCHMARK(Loop_BOLL)->Unit(benchmark::kMillisecond);
BENCHMARK(CompileCatalogue)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    RatioReporter reporter;
    // Each indicator over kBars bars in the engine against a hand-written loop.
    for (const char* name : {"MACD", "KDJ", "BOLL"})
        reporter.AddRatio(std::string("formula.") + name + "_engine_over_loop",
                          std::string("Engine_") + name, std::string("Loop_") + name, 1.5);
    return RunBenchmarks(argc, argv, reporter);
}
