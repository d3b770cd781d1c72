#pragma once

// A figure against its floor over several runs, printed for scripts/bench.sh
// as one line:
//   @figure<TAB>name<TAB>figure<TAB>floor<TAB>ratio<TAB>spread<TAB>goal<TAB>unit
// figure and floor are medians, the ratio the median of the runs' own
// ratios and the spread their range: on a machine busy with other work both
// sides of one run see the same state of it, so the ratio holds where the
// times do not. A figure with an absolute limit has no floor: its ratio is
// "-", its spread the range of its values and its goal the limit.
// Portable: each benchmark times with its own clock.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

// Fewer runs than this cannot tell a change from the noise.
inline constexpr int figureRuns = 7;

inline double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The runs of one figure, each with the floor measured beside it.
class FigureRuns {
public:
    void add(double figure, double floor) {
        figures.push_back(figure);
        floors.push_back(floor);
    }

    double figure() const { return median(figures); }
    double floor() const { return median(floors); }
    double ratio() const { return median(ratios()); }

    // The line for the closing table, and the figure as the reader sees it.
    void print(const std::string& name, double goal, const char* unit = "ms") const {
        const std::vector<double> each = ratios();
        std::printf("@figure\t%s\t%.3f\t%.3f\t%.3f\t%.2f-%.2f\t%.2f\t%s", name.c_str(), figure(), floor(),
                    ratio(), lowest(each), highest(each), goal, unit);
        std::printf("\n  %s: %.3f %s against %.3f %s, %.2f x (%.2f to %.2f x over %zu runs; goal %.2f x)\n",
                    name.c_str(), figure(), unit, floor(), unit, ratio(), lowest(each), highest(each),
                    figures.size(), goal);
        std::fflush(stdout);
    }

private:
    static double lowest(const std::vector<double>& values) {
        return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
    }
    static double highest(const std::vector<double>& values) {
        return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
    }

    std::vector<double> ratios() const {
        std::vector<double> each;
        for (std::size_t i = 0; i < figures.size(); ++i)
            each.push_back(floors[i] > 0 ? figures[i] / floors[i] : 0);
        return each;
    }

    std::vector<double> figures, floors;
};

// `run` answers one run's {figure, floor}; taken `runs` times.
template <class Run> FigureRuns takeRuns(Run run, int runs = figureRuns) {
    FigureRuns taken;
    for (int i = 0; i < runs; ++i) {
        const auto [figure, floor] = run();
        taken.add(figure, floor);
    }
    return taken;
}

// A figure held to an absolute limit in `unit`, from the values of its runs.
inline void printLimitFigure(const std::string& name, const std::vector<double>& values, double limit,
                             const char* unit) {
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    std::printf("@figure\t%s\t%.3f\t-\t-\t%.3f-%.3f\t%.2f\t%s\n", name.c_str(), median(values), *low, *high,
                limit, unit);
    std::printf("  %s: %.3f %s (%.3f to %.3f over %zu runs; at most %.2f %s)\n", name.c_str(), median(values),
                unit, *low, *high, values.size(), limit, unit);
    std::fflush(stdout);
}
