#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

// The console report, and after it the ratios between rows measured in the same run. Rows are
// named as Google Benchmark names them ("readXml/1000"); the mean of repetitions counts when
// there are several, else the one run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.iterations <= 0)
                continue;
            // Repetitions come before their aggregates, so the mean has the last word.
            if (run.run_type == Run::RT_Iteration)
                m_seconds[run.run_name.str()] = run.real_accumulated_time / double(run.iterations);
            else if (run.aggregate_name == "mean")
                m_seconds[run.run_name.str()] = run.GetAdjustedRealTime() / scale(run.time_unit);
        }
    }

    // Seconds per iteration of a row, or 0 when it did not run.
    double seconds(const std::string& row) const {
        const auto it = m_seconds.find(row);
        return it == m_seconds.end() ? 0 : it->second;
    }

    // "ours / peer: 0.41x (goal: at most 1.0x)"; nothing when either row did not run.
    void printRatio(const std::string& ours, const std::string& peer, const char* goal = nullptr) const {
        const double a = seconds(ours);
        const double b = seconds(peer);
        if (a <= 0 || b <= 0)
            return;
        std::printf("%s / %s: %.2fx%s%s%s\n", ours.c_str(), peer.c_str(), a / b, goal ? " (goal: " : "",
                    goal ? goal : "", goal ? ")" : "");
    }

private:
    static double scale(benchmark::TimeUnit unit) {
        switch (unit) {
        case benchmark::kNanosecond:
            return 1e9;
        case benchmark::kMicrosecond:
            return 1e6;
        case benchmark::kMillisecond:
            return 1e3;
        case benchmark::kSecond:
            break;
        }
        return 1;
    }

    std::map<std::string, double> m_seconds;
};
