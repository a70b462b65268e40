#include "calculator/calculate_report.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "framework/text.h"

namespace {

constexpr std::int64_t kMinTests = 2;
constexpr std::int64_t kMaxTests = 999;
constexpr double kMinErrorRate = .00001;
constexpr double kMaxErrorRate = .9999;
constexpr double kMaxPValue = 0.9999999;

constexpr std::string_view kRule = "+++++++++++++++++++++++++++++++++++++++++++++++";
constexpr std::string_view kHeader1 = "          Sequential                   Simple";
constexpr std::string_view kHeader2 = "Test p    Critical p   Significant   Critical p";
constexpr std::string_view kUnderline = "++++++    ++++++++++   +++++++++++   ++++++++++";
constexpr std::string_view kCredit = "Pallastrovane 2.0, (c) 2026 the Pallastrovane authors";

// Truncates toward zero only a value that fits: converting an out-of-range double to an integer is undefined.
std::optional<std::int64_t> TruncateToInt64(double value) {
  constexpr double kBound = 9223372036854775808.0;  // 2^63
  if (!(value >= -kBound && value < kBound)) return std::nullopt;
  return static_cast<std::int64_t>(value);
}

// The first count fields of the text split at TAB, in one pass; missing fields are empty. Asking NthField for each
// field in turn would rescan the text from its start every time, quadratic on a long pasted line.
std::vector<std::string_view> FirstFields(std::string_view text, std::size_t count) {
  std::vector<std::string_view> fields(count);
  std::size_t begin = 0;
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t tab = text.find('\t', begin);
    fields[k] = text.substr(begin, tab == std::string_view::npos ? std::string_view::npos : tab - begin);
    if (tab == std::string_view::npos) break;
    begin = tab + 1;
  }
  return fields;
}

}  // namespace

std::optional<std::string> CalculateReport(std::string_view countText, std::string_view errorRateText,
                                           std::string_view pValueText,
                                           const std::function<void(const std::string&)>& message) {
  const std::optional<std::int64_t> count = TruncateToInt64(Val(countText));
  if (!count || *count < kMinTests || *count > kMaxTests) {
    message("Tests must range from 2-999");
    return std::nullopt;
  }
  const std::int64_t n = *count;

  const double alpha = Val(errorRateText);
  if (alpha < kMinErrorRate || alpha > kMaxErrorRate) {
    message("Error rate must range from .00001 to .9999");
    return std::nullopt;
  }
  const double simpleCritical = alpha / static_cast<double>(n);

  const std::string lineEnd = Chr(13) + Chr(10);
  const std::string tab = Chr(9);
  std::string text = ReplaceLineEndings(pValueText, lineEnd);
  if (Len(text) == 0) {
    message("No test data.");
    return std::nullopt;
  }
  text = ReplaceAll(text, lineEnd, tab);

  const std::size_t size = static_cast<std::size_t>(n);
  std::vector<double> testP(size);
  const std::vector<std::string_view> fields = FirstFields(text, size);
  for (std::size_t k = 0; k < size; ++k) {
    const double value = Val(fields[k]);
    if (fields[k].empty() || value > kMaxPValue || value < 0) message("Please check the accuracy of test statistics");
    testP[k] = value;
  }
  std::sort(testP.begin(), testP.end());

  std::vector<double> seqCritical(size);
  for (std::size_t j = 0; j < size; ++j) seqCritical[j] = alpha / static_cast<double>(n - static_cast<std::int64_t>(j));

  // The same on every row, so formatted once.
  const std::string simpleText = Format(simpleCritical, ".0000");

  std::string report;
  report.reserve(5 * (kRule.size() + lineEnd.size()) + size * 48 + kCredit.size());
  for (std::string_view line : {kRule, kHeader1, kHeader2, kUnderline}) {
    report += line;
    report += lineEnd;
  }
  bool stopped = false;
  for (std::size_t j = 0; j < size; ++j) {
    if (!(testP[j] <= seqCritical[j])) stopped = true;
    report += Format(testP[j], ".0000");
    report += "       ";
    report += Format(seqCritical[j], ".0000");
    report += "      ";
    report += stopped ? "     no" : "    yes";
    report += "         ";
    report += simpleText;
    report += lineEnd;
  }
  report += kRule;
  report += lineEnd;
  report += kCredit;
  return report;
}
