// CalculateReport against the least any such calculation must do (read, sort and write 999 numbers), and on large
// pasted texts, whose time must grow linearly with their length.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "calculator/calculate_report.h"

namespace {

constexpr int kTests = 999;

std::string RandomPValues(int count) {
  std::mt19937 random(42);
  std::uniform_real_distribution<double> uniform(0.0, 0.2);
  std::string text;
  char buffer[32];
  for (int i = 0; i < count; ++i) {
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, uniform(random), std::chars_format::fixed, 6);
    text.append(buffer, end);
    text += '\n';
  }
  return text;
}

// The baseline: parse with from_chars, sort, and write each row's three numbers with to_chars.
std::string BaselineKernel(std::string_view text, double alpha, int n) {
  std::vector<double> values(static_cast<std::size_t>(n));
  const char* p = text.data();
  const char* const end = p + text.size();
  for (double& value : values) {
    p = std::from_chars(p, end, value).ptr;
    if (p != end) ++p;
  }
  std::sort(values.begin(), values.end());
  std::string out;
  out.reserve(values.size() * 48);
  char buffer[64];
  const double simple = alpha / n;
  for (int j = 0; j < n; ++j) {
    const double critical = alpha / (n - j);
    out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, values[j], std::chars_format::fixed, 4).ptr);
    out += "       ";
    out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, critical, std::chars_format::fixed, 4).ptr);
    out += values[j] <= critical ? "          yes         " : "           no         ";
    out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, simple, std::chars_format::fixed, 4).ptr);
    out += "\r\n";
  }
  return out;
}

void BM_Baseline999(benchmark::State& state) {
  const std::string text = RandomPValues(kTests);
  for (auto _ : state) benchmark::DoNotOptimize(BaselineKernel(text, .05, kTests));
}
BENCHMARK(BM_Baseline999);

void BM_CalculateReport999(benchmark::State& state) {
  const std::string text = RandomPValues(kTests);
  int messages = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(CalculateReport("999", ".05", text, [&](const std::string&) { ++messages; }));
  if (messages != 0) state.SkipWithError("unexpected warnings");
}
BENCHMARK(BM_CalculateReport999);

std::string Repeat(std::string_view piece, std::size_t bytes) {
  std::string text;
  text.reserve(bytes + piece.size());
  while (text.size() < bytes) text += piece;
  return text;
}

void RunLarge(benchmark::State& state, std::string_view piece) {
  const std::string text = Repeat(piece, static_cast<std::size_t>(state.range(0)));
  int messages = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(CalculateReport("999", ".05", text, [&](const std::string&) { ++messages; }));
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

// Both large-text runs over the same sizes, 1.25 MB to 10 MB, so that their times compare and show the growth.
void LargeTexts(benchmark::internal::Benchmark* bench) {
  bench->RangeMultiplier(2)->Range(10 << 17, 10 << 20)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
}

// Blank-separated values on one line form a single field.
void BM_CalculateReportOneLine(benchmark::State& state) { RunLarge(state, ".0123 "); }
BENCHMARK(BM_CalculateReportOneLine)->Apply(LargeTexts);

// Ten bytes a line: 10 MB is about a million lines.
void BM_CalculateReportManyLines(benchmark::State& state) { RunLarge(state, "0.0123456\n"); }
BENCHMARK(BM_CalculateReportManyLines)->Apply(LargeTexts);

// Keeps each run's time so that the ratio to the baseline can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration) nanoseconds_[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatio() const {
    const auto baseline = nanoseconds_.find("BM_Baseline999");
    const auto report = nanoseconds_.find("BM_CalculateReport999");
    if (baseline == nanoseconds_.end() || report == nanoseconds_.end()) return;
    std::printf("\nCalculateReport on %d values: %.1f us; baseline kernel: %.1f us; ratio %.2f (goal: at most 2)\n",
                kTests, report->second / 1000, baseline->second / 1000, report->second / baseline->second);
  }

 private:
  std::map<std::string, double> nanoseconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio();
  benchmark::Shutdown();
  return 0;
}
