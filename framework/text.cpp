#include "framework/text.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <system_error>

#include "framework/object.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

const char* SkipDigits(const char* p, const char* end) {
  while (p != end && IsDigit(*p)) ++p;
  return p;
}

// from_chars reports over- and underflow alike. The decimal order of magnitude tells them apart: a value that does
// not fit is either above 1e308 or below 1e-323, so the sign of the order is enough.
bool IsOverflow(const char* intBegin, const char* intEnd, const char* fracBegin, const char* fracEnd,
                const char* expBegin, const char* expEnd) {
  std::int64_t order = 0;
  const char* firstInt = std::find_if(intBegin, intEnd, [](char c) { return c != '0'; });
  if (firstInt != intEnd) {
    order = intEnd - firstInt;
  } else {
    const char* firstFrac = std::find_if(fracBegin, fracEnd, [](char c) { return c != '0'; });
    if (firstFrac == fracEnd) return false;
    order = -(firstFrac - fracBegin);
  }
  if (expBegin != expEnd) {
    bool negative = *expBegin == '-';
    if (*expBegin == '-' || *expBegin == '+') ++expBegin;
    // Saturates far beyond any digit count a text in memory can have, so the sum cannot overflow.
    constexpr std::int64_t kCap = std::int64_t{1} << 50;
    std::int64_t exponent = 0;
    for (const char* p = expBegin; p != expEnd && exponent < kCap; ++p) exponent = exponent * 10 + (*p - '0');
    order += negative ? -exponent : exponent;
  }
  return order > 0;
}

}  // namespace

std::optional<NumberPrefix> ScanNumberPrefix(std::string_view text) {
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p != end && (*p == ' ' || *p == '\t')) ++p;

  NumberPrefix prefix;
  if (p != end && (*p == '+' || *p == '-')) {
    prefix.negative = *p == '-';
    ++p;
  }
  const char* const intBegin = p;
  const char* const intEnd = SkipDigits(p, end);
  const char* fracBegin = intEnd;
  const char* fracEnd = intEnd;
  if (intEnd != end && *intEnd == '.') {
    fracBegin = intEnd + 1;
    fracEnd = SkipDigits(fracBegin, end);
  }
  if (intBegin == intEnd && fracBegin == fracEnd) return std::nullopt;

  // An exponent belongs to the number only when at least one digit follows the e and its sign.
  const char* numberEnd = fracEnd;
  const char* expBegin = fracEnd;
  if (fracEnd != end && (*fracEnd == 'e' || *fracEnd == 'E')) {
    const char* q = fracEnd + 1;
    if (q != end && (*q == '+' || *q == '-')) ++q;
    const char* digitsEnd = SkipDigits(q, end);
    if (digitsEnd != q) {
      expBegin = fracEnd + 1;
      numberEnd = digitsEnd;
    }
  }
  const auto view = [](const char* from, const char* to) {
    return std::string_view(from, static_cast<std::size_t>(to - from));
  };
  prefix.wholeDigits = view(intBegin, intEnd);
  prefix.fractionDigits = view(fracBegin, fracEnd);
  prefix.exponent = view(expBegin, numberEnd);
  prefix.number = view(intBegin, numberEnd);
  return prefix;
}

double Val(std::string_view text) {
  const std::optional<NumberPrefix> prefix = ScanNumberPrefix(text);
  if (!prefix) return 0.0;
  const char* const numberBegin = prefix->number.data();
  const char* const numberEnd = numberBegin + prefix->number.size();

  // from_chars takes no plus sign, so it reads the unsigned number and the sign is applied here.
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(numberBegin, numberEnd, value, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    const auto begin = [](std::string_view v) { return v.data(); };
    const auto finish = [](std::string_view v) { return v.data() + v.size(); };
    value = IsOverflow(begin(prefix->wholeDigits), finish(prefix->wholeDigits), begin(prefix->fractionDigits),
                       finish(prefix->fractionDigits), begin(prefix->exponent), finish(prefix->exponent))
                ? std::numeric_limits<double>::max()
                : 0.0;
  } else if (ec != std::errc() || ptr != numberEnd) {
    // The scan admits only what from_chars reads; this is a guard, not a path.
    value = 0.0;
  }
  return prefix->negative ? -value : value;
}

std::string Format(double value, std::string_view pattern) {
  if (pattern != ".0000") {
    throw UnsupportedFormatException("Format: unsupported pattern \"" + std::string(pattern) + "\"");
  }
  // The largest double has 309 whole digits.
  char buffer[400];
  const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 4);
  if (ec != std::errc()) throw RuntimeException("Format: value does not fit");
  std::string_view digits(buffer, static_cast<std::size_t>(ptr - buffer));
  bool negative = false;
  if (!digits.empty() && digits.front() == '-') {
    negative = true;
    digits.remove_prefix(1);
  }
  if (digits.starts_with("0.")) digits.remove_prefix(1);
  if (digits == ".0000") negative = false;
  std::string result;
  result.reserve(digits.size() + 1);
  if (negative) result += '-';
  result += digits;
  return result;
}

std::string NthField(std::string_view text, std::string_view separator, std::int64_t k) {
  if (k < 1) return {};
  if (separator.empty()) return k == 1 ? std::string(text) : std::string();
  std::size_t begin = 0;
  for (std::int64_t field = 1; field < k; ++field) {
    const std::size_t found = text.find(separator, begin);
    if (found == std::string_view::npos) return {};
    begin = found + separator.size();
  }
  const std::size_t found = text.find(separator, begin);
  return std::string(text.substr(begin, found == std::string_view::npos ? std::string_view::npos : found - begin));
}

std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement) {
  if (find.empty()) return std::string(text);
  std::string result;
  result.reserve(text.size());
  std::size_t begin = 0;
  for (std::size_t found = text.find(find); found != std::string_view::npos; found = text.find(find, begin)) {
    result.append(text, begin, found - begin);
    result += replacement;
    begin = found + find.size();
  }
  result.append(text, begin);
  return result;
}

std::string ReplaceLineEndings(std::string_view text, std::string_view lineEnd) {
  std::string result;
  result.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t found = text.find_first_of("\r\n", i);
    if (found == std::string_view::npos) {
      result.append(text, i);
      break;
    }
    result.append(text, i, found - i);
    result += lineEnd;
    i = found + (text[found] == '\r' && found + 1 < text.size() && text[found + 1] == '\n' ? 2 : 1);
  }
  return result;
}

std::string Chr(std::uint32_t code) {
  std::string result;
  if (code < 0x80) {
    result += static_cast<char>(code);
  } else if (code < 0x800) {
    result += static_cast<char>(0xC0 | (code >> 6));
    result += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    if (code >= 0xD800 && code <= 0xDFFF) return {};
    result += static_cast<char>(0xE0 | (code >> 12));
    result += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    result += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code <= 0x10FFFF) {
    result += static_cast<char>(0xF0 | (code >> 18));
    result += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    result += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    result += static_cast<char>(0x80 | (code & 0x3F));
  }
  return result;
}

std::optional<Utf8Character> DecodeUtf8(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(text[i])); };
  const std::uint32_t lead = byte(0);
  std::size_t length = 0;
  std::uint32_t code = 0;
  std::uint32_t minimum = 0;
  if (lead < 0x80) {
    return Utf8Character{lead, 1};
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2;
    code = lead & 0x1F;
    minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    code = lead & 0x0F;
    minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    code = lead & 0x07;
    minimum = 0x10000;
  } else {
    return std::nullopt;
  }
  if (text.size() < length) return std::nullopt;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return std::nullopt;
    code = (code << 6) | (byte(i) & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
  return Utf8Character{code, length};
}

std::uint32_t Asc(std::string_view text) {
  if (text.empty()) return 0;
  const std::optional<Utf8Character> first = DecodeUtf8(text);
  return first ? first->code : static_cast<unsigned char>(text[0]);
}

std::int64_t Len(std::string_view text) {
  return std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
}
