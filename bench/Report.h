// The figures of the whole-program benchmarks: samples of both programs, the raw figures as
// they are taken, and the table of medians against the targets.
#pragma once

#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace bench {

enum class TKind { Tarvo, Baseline };
inline const char* NameOf(TKind kind) { return kind == TKind::Tarvo ? "Tarvo" : "baseline"; }

struct TSamples {
    std::vector<double> Tarvo, Baseline;
    std::vector<double>& Of(TKind kind) { return kind == TKind::Tarvo ? Tarvo : Baseline; }
};

extern std::ostringstream Figures;   // the raw figures
extern std::ostringstream Problems;  // what went wrong; a run with any fails
extern std::ostringstream Table;     // the table of medians, in Markdown

std::string List(const std::vector<double>& v, const char* format = "%.1f");
// A line of the raw figures, also shown as the run goes. GCC and clang check its arguments
// against the format; MSVC has no such attribute.
#if defined(__GNUC__)
void Note(const char* format, ...) __attribute__((format(printf, 1, 2)));
#else
void Note(const char* format, ...);
#endif
std::string Format(const char* format, double value);
// One row: what, Tarvo, baseline, ratio of the two, median ratio round by round (none when
// negative), target, met.
void Row(const std::string& what, const std::string& tarvo, const std::string& baseline, double ratio,
         const std::string& target, std::optional<bool> met, double pairedRatio = -1);
// A row of median times, judged by the median of the ratios round by round; a target of 0
// means none.
void TimeRow(const std::string& what, const TSamples& s, double target);
// Medians, minimums, the ratios round by round and the spread of a sample, in the raw figures.
void Spread(const char* what, const TSamples& s);
void WriteFile(const char* path, const std::string& text);

}  // namespace bench
