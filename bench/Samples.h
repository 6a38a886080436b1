#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

// Times of one measured step, collected over a run, for percentiles: rows that alternate in one
// loop are compared by their medians, which shared machines disturb less than means.
class Samples {
public:
    using Clock = std::chrono::steady_clock;

    void add(Clock::duration elapsed) { m_seconds.push_back(std::chrono::duration<double>(elapsed).count()); }
    bool empty() const { return m_seconds.empty(); }
    double percentile(double fraction) const {
        if (m_seconds.empty())
            return 0;
        std::vector<double> sorted = m_seconds;
        std::sort(sorted.begin(), sorted.end());
        return sorted[std::min(sorted.size() - 1, std::size_t(fraction * double(sorted.size())))];
    }
    double p50() const { return percentile(0.5); }
    double p95() const { return percentile(0.95); }
    double mean() const {
        double sum = 0;
        for (double s : m_seconds)
            sum += s;
        return m_seconds.empty() ? 0 : sum / double(m_seconds.size());
    }
    // "name: p50 0.412 ms, p95 0.903 ms, mean 0.455 ms (n)".
    void print(const std::string& name) const {
        std::printf("%-58s p50 %8.3f ms  p95 %8.3f ms  mean %8.3f ms  (%zu)\n", name.c_str(), p50() * 1e3,
                    p95() * 1e3, mean() * 1e3, m_seconds.size());
    }

private:
    std::vector<double> m_seconds;
};
