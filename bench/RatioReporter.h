#pragma once
// Google Benchmark's console table, followed by each subject's time as a multiple of a
// baseline measured in the same run, so the figure means something on any machine.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Benchmarks are named without their "/argument" suffixes. `goal` is printed as is
    // after the ratio, e.g. "goal <= 1.5x".
    void AddRatio(std::string what, std::string subject, std::string baseline,
                  std::string goal = "") {
        m_ratios.push_back(
            {std::move(what), std::move(subject), std::move(baseline), std::move(goal)});
    }

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations <= 0 || run.error_occurred)
                continue;
            const std::string name = run.benchmark_name();
            // Seconds per iteration, whatever unit the table shows.
            m_seconds[name.substr(0, name.find('/'))] =
                run.real_accumulated_time / double(run.iterations);
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const Ratio& r : m_ratios) {
            auto s = m_seconds.find(r.subject), b = m_seconds.find(r.baseline);
            if (s == m_seconds.end() || b == m_seconds.end() || b->second <= 0) continue;
            std::printf("%s = %.2fx%s%s%s\n", r.what.c_str(), s->second / b->second,
                        r.goal.empty() ? "" : " (", r.goal.c_str(), r.goal.empty() ? "" : ")");
        }
    }

private:
    struct Ratio {
        std::string what, subject, baseline, goal;
    };
    std::vector<Ratio> m_ratios;
    std::map<std::string, double> m_seconds;
};
