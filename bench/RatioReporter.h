#pragma once
// Google Benchmark's console table, followed by one plain line per ratio:
//
//   ratio NAME VALUE goal GOAL
//
// VALUE is how many times longer the subject takes than a baseline measured in the same
// run, so the figure means something on any machine; GOAL is the most we accept. Each
// benchmark runs several times (kDefaultRepetitions unless --benchmark_repetitions says
// otherwise), the repetitions of all benchmarks interleaved in a random order, and a ratio
// is taken from the medians, so one disturbed repetition does not move it. Colour codes go to a terminal only, never into a pipe or a file.
//
// A benchmark program builds a RatioReporter, names its ratios and hands over to
// RunBenchmarks:
//
//   int main(int argc, char** argv) {
//       RatioReporter reporter;
//       reporter.AddRatio("load_minute_bars", "BM_Load", "BM_ReadPlusMemcpy", 1.5);
//       return RunBenchmarks(argc, argv, reporter);
//   }

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    static constexpr int kDefaultRepetitions = 3;

    RatioReporter()
        : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    // Time of `subject` over time of `baseline`, per iteration, whatever unit the table
    // shows. Benchmarks are named as registered, with or without a "/argument" suffix;
    // NAME is one word (letters, digits, '_', '.').
    void AddRatio(std::string name, std::string subject, std::string baseline, double goal) {
        m_ratios.push_back({std::move(name), std::move(subject), std::move(baseline), {}, goal});
    }

    // A ratio a benchmark measures itself, in one loop over subject and baseline, and
    // reports as the user counter `counter` (e.g. "over_memcpy").
    void AddCounterRatio(std::string name, std::string benchmark, std::string counter,
                         double goal) {
        m_ratios.push_back({std::move(name), std::move(benchmark), {}, std::move(counter), goal});
    }

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations <= 0 || run.error_occurred)
                continue;
            const std::string name = run.benchmark_name();
            const double seconds = run.real_accumulated_time / double(run.iterations);
            Samples& full = m_samples[name];
            full.seconds.push_back(seconds);
            for (const auto& [counter, value] : run.counters)
                full.counters[counter].push_back(value.value);
            if (auto slash = name.find('/'); slash != std::string::npos)
                m_samples[name.substr(0, slash)].seconds.push_back(seconds);
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::fflush(stdout);
        for (const Ratio& r : m_ratios) {
            double value = Value(r);
            if (value > 0)
                std::printf("ratio %s %.2f goal %.2f\n", r.name.c_str(), value, r.goal);
            else
                std::printf("ratio %s n/a goal %.2f\n", r.name.c_str(), r.goal);
        }
        std::fflush(stdout);
    }

    // Median of a set of samples; 0 when there are none.
    static double Median(std::vector<double> v) {
        if (v.empty()) return 0;
        std::sort(v.begin(), v.end());
        size_t mid = v.size() / 2;
        return v.size() % 2 ? v[mid] : (v[mid - 1] + v[mid]) / 2;
    }

private:
    struct Ratio {
        std::string name, subject, baseline, counter;
        double goal;
    };
    struct Samples {
        std::vector<double> seconds;
        std::map<std::string, std::vector<double>> counters;
    };

    double Value(const Ratio& r) const {
        auto s = m_samples.find(r.subject);
        if (s == m_samples.end()) return 0;
        if (!r.counter.empty()) {
            auto c = s->second.counters.find(r.counter);
            return c == s->second.counters.end() ? 0 : Median(c->second);
        }
        auto b = m_samples.find(r.baseline);
        if (b == m_samples.end()) return 0;
        double base = Median(b->second.seconds);
        return base > 0 ? Median(s->second.seconds) / base : 0;
    }

    std::vector<Ratio> m_ratios;
    std::map<std::string, Samples> m_samples;
};

// Runs the registered benchmarks with `reporter`, kDefaultRepetitions times each unless
// the command line sets its own number.
inline int RunBenchmarks(int argc, char** argv, RatioReporter& reporter) {
    std::vector<char*> args(argv, argv + argc);
    static char repetitions[64];
    bool given = false;
    for (int i = 1; i < argc; ++i)
        given |= std::strncmp(argv[i], "--benchmark_repetitions", 23) == 0;
    if (!given) {
        std::snprintf(repetitions, sizeof repetitions, "--benchmark_repetitions=%d",
                      RatioReporter::kDefaultRepetitions);
        args.insert(args.begin() + 1, repetitions);
    }
    // Subject and baseline repetitions are run in a shuffled interleaving rather than one
    // benchmark's block after the other's, so a change of load during the run (another
    // build starting, a frequency step) falls on both sides of a ratio instead of one.
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    bool order = false;
    for (int i = 1; i < argc; ++i)
        order |= std::strncmp(argv[i], "--benchmark_enable_random_interleaving", 38) == 0;
    if (!order) args.insert(args.begin() + 1, interleave);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

// A benchmark that touches the platform layer runs without a display.
inline void UseOffscreenPlatform() {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
}
