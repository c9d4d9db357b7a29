#include "bench/bench_timing.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

double NowMs() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs;
}

double Series::Min() const {
    if (values.empty())
        throw std::logic_error("no runs");
    return *std::min_element(values.begin(), values.end());
}

double Series::Median() const {
    if (values.empty())
        throw std::logic_error("no runs");
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    const size_t middle = sorted.size() / 2;
    return sorted.size() % 2 != 0 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

void PrintSeries(const std::string& what, const Series& series, const char* unit) {
    std::printf("  %-34s min %9.2f %-3s median %9.2f %-3s (%u runs)\n", what.c_str(), series.Min(),
                unit, series.Median(), unit, static_cast<unsigned>(series.values.size()));
    std::fflush(stdout);
}

void PrintFigure(const std::string& name, double value, const char* unit, double ratio,
                 const std::string& goal, bool pass) {
    std::printf("bench %s %.1f %s %.2f %s %s\n", name.c_str(), value, unit, ratio, goal.c_str(),
                pass ? "PASS" : "FAIL");
    std::fflush(stdout);
}

int RunCount(const char* variable, int defaultCount) {
    const char* text = std::getenv(variable);
    if (text == nullptr)
        return defaultCount;
    const int count = std::atoi(text);
    return count > 0 ? count : defaultCount;
}
