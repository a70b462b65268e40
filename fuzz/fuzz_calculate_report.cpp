// Feeds CalculateReport arbitrary field texts. The input is the count text, NUL, the error-rate text, NUL, the
// p-value text; missing parts are empty. Besides the sanitizers, it checks the contract on messages and result.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "calculator/calculate_report.h"

namespace {

std::string_view TakeUntilNul(std::string_view& rest) {
  const std::size_t nul = rest.find('\0');
  const std::string_view part = rest.substr(0, nul);
  rest = nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);
  return part;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  const std::string_view countText = TakeUntilNul(rest);
  const std::string_view errorRateText = TakeUntilNul(rest);
  const std::string_view pValueText = rest;

  std::size_t messages = 0;
  const std::optional<std::string> report =
      CalculateReport(countText, errorRateText, pValueText, [&](const std::string&) { ++messages; });

  // A refusal is exactly one message; a report has at most one warning per test (999) and ends in the credit line.
  if (!report && messages != 1) std::abort();
  if (report && (messages > 999 || !report->starts_with("+++++++++") || !report->ends_with("authors"))) std::abort();
  return 0;
}
