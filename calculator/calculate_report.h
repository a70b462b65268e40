// The Holm and Bonferroni computation behind the calculator's Calculate button. It needs no window: it takes the
// three field texts and a function that shows a message, and yields the report that replaces the p values, or
// nothing when the input is refused.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Checks the count (2 to 999), the error rate (.00001 to .9999) and that there are p values, reads as many p values
// as the count (one per line or TAB-separated field), sorts them and writes Holm's sequential and the simple
// Bonferroni critical values with each test's significance as a fixed-width report, lines ended by CR LF.
// A refusal shows exactly one message and yields nothing; otherwise one warning is shown for each missing,
// negative or too large value and for each field that is not one number with at most blanks around it (it still
// counts as what Val reads), in field order, before the report is returned. Exceptions from message pass through.
std::optional<std::string> CalculateReport(std::string_view countText, std::string_view errorRateText,
                                           std::string_view pValueText,
                                           const std::function<void(const std::string&)>& message);
