#include "Report.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "Outside.h"

namespace bench {

std::ostringstream Figures, Problems, Table;

std::string List(const std::vector<double>& v, const char* format) {
    std::string text;
    char number[64];
    for (double x : v) {
        std::snprintf(number, sizeof number, format, x);
        text += (text.empty() ? "" : " ") + std::string(number);
    }
    return text;
}

void Note(const char* format, ...) {
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    std::string line(static_cast<size_t>(std::max(0, std::vsnprintf(nullptr, 0, format, args))) + 1, '\0');
    va_end(args);
    std::vsnprintf(line.data(), line.size(), format, again);
    va_end(again);
    line.pop_back();
    Figures << line << "\n";
    std::fputs((line + "\n").c_str(), stderr);
}

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

namespace {

// The median of each Tarvo sample divided by the baseline's of the same round: noise that
// lasts a round cancels out of it, so it says more than the ratio of the two medians.
double PairedRatio(const TSamples& s) {
    std::vector<double> paired;
    for (size_t i = 0; i < std::min(s.Tarvo.size(), s.Baseline.size()); ++i) paired.push_back(s.Tarvo[i] / s.Baseline[i]);
    return Median(paired);
}

}  // namespace

void Row(const std::string& what, const std::string& tarvo, const std::string& baseline, double ratio,
         const std::string& target, std::optional<bool> met, double pairedRatio) {
    auto ratioText = [](double r) { return r >= 0 ? Format("%.2f", r) : std::string("–"); };
    Table << "| " << what << " | " << tarvo << " | " << baseline << " | " << ratioText(ratio) << " | "
          << ratioText(pairedRatio) << " | " << target << " | " << (met ? (*met ? "yes" : "**no**") : "–") << " |\n";
}

void TimeRow(const std::string& what, const TSamples& s, double target) {
    const double t = Median(s.Tarvo), b = Median(s.Baseline), paired = PairedRatio(s);
    Row(what, Format("%.1f ms", t), Format("%.1f ms", b), t / b,
        target > 0 ? "≤ " + Format("%.1f", target) + " × baseline" : "–",
        target > 0 ? std::optional<bool>(paired <= target) : std::nullopt, paired);
}

void Spread(const char* what, const TSamples& s) {
    auto spread = [](const std::vector<double>& v) {
        const double m = Median(v);
        return Format("%.1f", Min(v)) + "–" + Format("%.1f", Max(v)) + " (" + Format("%+.0f", 100 * (Min(v) - m) / m) +
               "%/" + Format("%+.0f", 100 * (Max(v) - m) / m) + "% of the median)";
    };
    Note("  %s: medians Tarvo %.1f, baseline %.1f, ratio %.2f; minimums %.1f and %.1f, ratio %.2f; median of the "
         "ratios round by round %.2f; spread: Tarvo %s; baseline %s",
         what, Median(s.Tarvo), Median(s.Baseline), Median(s.Tarvo) / Median(s.Baseline), Min(s.Tarvo), Min(s.Baseline),
         Min(s.Tarvo) / Min(s.Baseline), PairedRatio(s), spread(s.Tarvo).c_str(), spread(s.Baseline).c_str());
}

void WriteFile(const char* path, const std::string& text) {
    if (FILE* f = std::fopen(path, "w")) {
        std::fputs(text.c_str(), f);
        std::fclose(f);
    }
}

}  // namespace bench
