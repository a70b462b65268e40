#include "calculator/calculate_report.h"

#include <algorithm>
#include <cstdint>
#include <utility>
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
// No wider than the rules, so that it does not wrap in the p-value field.
constexpr std::string_view kCredit = "Pallastrovane 2.0 by the Pallastrovane authors";

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

// A typed number as the exact decimal it spells: |value| = 0.digits x 10^order, digits without leading or trailing
// zeros, none for zero. Critical values are fractions of the error rate, and their nearest doubles miss ties a
// researcher types: .3 / 3 is below the double of .1, so p = .1 at alpha .3 with three tests would read no. The
// comparison with the critical value is therefore made on the typed texts, exactly.
struct ExactDecimal {
  bool negative = false;
  std::string digits;
  std::int64_t order = 0;
};

ExactDecimal ReadExact(std::string_view text) {
  ExactDecimal result;
  const std::optional<NumberPrefix> prefix = ScanNumberPrefix(text);
  if (!prefix) return result;

  std::string all;
  all.reserve(prefix->wholeDigits.size() + prefix->fractionDigits.size());
  all += prefix->wholeDigits;
  all += prefix->fractionDigits;
  const std::size_t first = all.find_first_not_of('0');
  if (first == std::string::npos) return result;
  const std::size_t last = all.find_last_not_of('0');
  result.digits = all.substr(first, last - first + 1);

  // Saturates far beyond any digit count a text in memory can have; such orders compare as equals, which only
  // matters between values that are all zero or all far above 1 once printed.
  constexpr std::int64_t kCap = std::int64_t{1} << 50;
  std::string_view exponentText = prefix->exponent;
  bool exponentNegative = false;
  if (!exponentText.empty() && (exponentText.front() == '-' || exponentText.front() == '+')) {
    exponentNegative = exponentText.front() == '-';
    exponentText.remove_prefix(1);
  }
  std::int64_t exponent = 0;
  for (char c : exponentText) {
    if (exponent >= kCap) break;
    exponent = exponent * 10 + (c - '0');
  }
  result.order = static_cast<std::int64_t>(prefix->wholeDigits.size()) - static_cast<std::int64_t>(first) +
                 (exponentNegative ? -exponent : exponent);
  result.negative = prefix->negative;
  return result;
}

// The value times a small positive factor, exactly.
ExactDecimal Times(const ExactDecimal& value, std::int64_t factor) {
  ExactDecimal result;
  if (value.digits.empty()) return result;
  std::string reversed;
  reversed.reserve(value.digits.size() + 4);
  std::int64_t carry = 0;
  for (auto it = value.digits.rbegin(); it != value.digits.rend(); ++it) {
    const std::int64_t product = (*it - '0') * factor + carry;
    reversed += static_cast<char>('0' + product % 10);
    carry = product / 10;
  }
  std::int64_t grown = 0;
  for (; carry != 0; carry /= 10, ++grown) reversed += static_cast<char>('0' + carry % 10);
  result.digits.assign(reversed.rbegin(), reversed.rend());
  result.digits.erase(result.digits.find_last_not_of('0') + 1);
  result.order = value.order + grown;
  result.negative = value.negative;
  return result;
}

// Negative, zero or positive as a is below, equal to or above b.
int Compare(const ExactDecimal& a, const ExactDecimal& b) {
  const int signA = a.digits.empty() ? 0 : (a.negative ? -1 : 1);
  const int signB = b.digits.empty() ? 0 : (b.negative ? -1 : 1);
  if (signA != signB) return signA < signB ? -1 : 1;
  if (signA == 0) return 0;
  int magnitude = 0;
  if (a.order != b.order) {
    magnitude = a.order < b.order ? -1 : 1;
  } else {
    const int digits = a.digits.compare(b.digits);
    magnitude = digits < 0 ? -1 : (digits > 0 ? 1 : 0);
  }
  return signA * magnitude;
}

// The field is kept, not its exact decimal: that is needed only near a tie and between equal doubles, and building
// it for every value would double the time of a calculation.
struct PValue {
  double value;
  std::string_view field;
};

// Texts that share a double are put in the order of their typed values, which the exact comparison relies on: of
// .1 and .10000000000000000001 at alpha .2, only .1 meets the first critical value. Runs of one text, the usual
// case, are left as they are.
void OrderEqualDoublesExactly(std::vector<PValue>& sorted) {
  for (std::size_t begin = 0; begin < sorted.size();) {
    std::size_t end = begin + 1;
    bool sameText = true;
    while (end < sorted.size() && sorted[end].value == sorted[begin].value) {
      sameText = sameText && sorted[end].field == sorted[begin].field;
      ++end;
    }
    if (!sameText) {
      std::vector<std::pair<ExactDecimal, std::string_view>> run;
      run.reserve(end - begin);
      for (std::size_t i = begin; i < end; ++i) run.emplace_back(ReadExact(sorted[i].field), sorted[i].field);
      std::sort(run.begin(), run.end(), [](const auto& a, const auto& b) { return Compare(a.first, b.first) < 0; });
      for (std::size_t i = begin; i < end; ++i) sorted[i].field = run[i - begin].second;
    }
    begin = end;
  }
}

// Whether p <= alpha / divisor for the typed p and alpha, exactly. The doubles decide when they lie far apart:
// p, alpha and their double quotient are each within a relative 2^-53 of the exact values (a p below 1e-300 only
// absolutely, far under every critical value, which is at least .00001 / 999; a p beyond the double range reads as
// the largest double, far above them), so a relative gap of 1e-9 cannot come from rounding. Only near a tie is
// p * divisor <= alpha worked out on the decimals.
bool Significant(const PValue& p, double critical, std::int64_t divisor, const ExactDecimal& alpha) {
  if (p.value < critical * (1 - 1e-9)) return true;
  if (p.value > critical * (1 + 1e-9)) return false;
  return Compare(Times(ReadExact(p.field), divisor), alpha) <= 0;
}

// A field holds one number when Val reads all of it but blanks. Anything else (a decimal comma, "<2e-16", a word,
// digits of another script, a line of the report itself) still counts as what Val reads, but the researcher must
// hear that it was not taken as typed.
bool IsOneNumber(std::string_view field) {
  const std::optional<NumberPrefix> prefix = ScanNumberPrefix(field);
  if (!prefix) return false;
  const std::size_t end = static_cast<std::size_t>(prefix->number.data() - field.data()) + prefix->number.size();
  return field.find_first_not_of(' ', end) == std::string_view::npos;
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
  std::vector<PValue> testP(size);
  const std::vector<std::string_view> fields = FirstFields(text, size);
  for (std::size_t k = 0; k < size; ++k) {
    const double value = Val(fields[k]);
    if (fields[k].empty() || value > kMaxPValue || value < 0 || !IsOneNumber(fields[k])) {
      message("Please check the accuracy of test statistics");
    }
    testP[k] = {value, fields[k]};
  }
  std::sort(testP.begin(), testP.end(), [](const PValue& a, const PValue& b) { return a.value < b.value; });
  OrderEqualDoublesExactly(testP);
  const ExactDecimal exactAlpha = ReadExact(errorRateText);

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
    if (!stopped && !Significant(testP[j], seqCritical[j], n - static_cast<std::int64_t>(j), exactAlpha)) {
      stopped = true;
    }
    report += Format(testP[j].value, ".0000");
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
