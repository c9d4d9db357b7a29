#pragma once
// What every benchmark program shares: a clock, the minimum and median of a series of runs, and
// the lines it prints. The figures are printed, never checked by a test: timings depend on the
// machine, so no timed test may decide a build.
//
// Output: a detail line per measurement ("  update engine  min 120.1 ms  median 121.3 ms ..."),
// and one summary line per figure, which tools/bench.sh collects:
//   bench NAME value unit ratio goal PASS|FAIL

#include <windows.h>

#include <string>
#include <vector>

// Milliseconds since an arbitrary start, from the performance counter (GetTickCount moves in
// steps of 10 to 16 ms on many systems, too coarse for one discovery scan).
double NowMs();

// The minimum and the median of a series; the median of an even count is the mean of the two
// middle values.
struct Series {
    std::vector<double> values;

    void Add(double value) { values.push_back(value); }
    double Min() const;
    double Median() const;
};

// "  <what>  min <min> <unit>  median <median> <unit>  (<count> runs)".
void PrintSeries(const std::string& what, const Series& series, const char* unit);

// The summary line of one figure; the ratio is printed with two decimals, the value with one.
void PrintFigure(const std::string& name, double value, const char* unit, double ratio,
                 const std::string& goal, bool pass);

// The count of runs: the value of the environment variable when it holds a positive number,
// else the default (tools/bench.sh lets a caller ask for more runs, or fewer).
int RunCount(const char* variable, int defaultCount);
