// Text functions of the framework, on UTF-8 std::string. Number reading and writing never consult the C library's
// locale: a Qt program runs under the user's locale, where strtod and printf would use a decimal comma.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The number that the text begins with: optional blanks (space or TAB), an optional sign, digits with an optional
// point and more digits (at least one digit in all), and an optional exponent (e or E, optional sign, digits).
// Reads the longest such prefix; a text without one gives 0. A number beyond the range of double gives the largest
// finite double of its sign, one too small for it gives 0; never NaN or infinity.
double Val(std::string_view text);

// The number prefix that Val reads, as views into the text: the sign, the digits before and after the point, the
// exponent's digits with their sign (empty when there is none), and the unsigned number as written. Callers that
// must reason about the decimal value itself, not its nearest double, read it from here so they agree with Val.
struct NumberPrefix {
  bool negative = false;
  std::string_view wholeDigits;
  std::string_view fractionDigits;
  std::string_view exponent;
  std::string_view number;
};

// The longest number prefix of the text by Val's grammar; nullopt when the text has none.
std::optional<NumberPrefix> ScanNumberPrefix(std::string_view text);

// The value written after the pattern. Only ".0000" is supported: rounded to four decimals, with no 0 before the
// point when the whole part is 0 (".0167", "1.0000", "-.0100"); a value that rounds to zero gives ".0000" with no
// sign. Throws UnsupportedFormatException for any other pattern.
std::string Format(double value, std::string_view pattern);

// The k-th field (counted from 1) of the text split at the separator; the empty text when there are fewer than k
// fields, or when k < 1. An empty separator makes the whole text one field.
std::string NthField(std::string_view text, std::string_view separator, std::int64_t k);

// The text with every occurrence of find replaced by replacement, left to right, without overlap. An empty find
// leaves the text as it is.
std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement);

// The text with every line break, CR LF, CR alone or LF alone, replaced by lineEnd.
std::string ReplaceLineEndings(std::string_view text, std::string_view lineEnd);

// The UTF-8 text of the one character with that code point; the empty text for a code that is no character
// (a surrogate or above U+10FFFF).
std::string Chr(std::uint32_t code);

// The first character of a UTF-8 text: its code point and how many bytes it takes. None for the empty text and for
// a text that does not begin with a valid UTF-8 sequence (a stray or missing continuation byte, an overlong form, a
// surrogate or a code above U+10FFFF).
struct Utf8Character {
  std::uint32_t code = 0;
  std::size_t length = 0;
};
std::optional<Utf8Character> DecodeUtf8(std::string_view text);

// The code point of the first character; 0 for the empty text. A first byte that starts no valid UTF-8 sequence
// gives that byte's value.
std::uint32_t Asc(std::string_view text);

// The number of characters (UTF-8 code points). Each byte that is not a continuation byte counts as one.
std::int64_t Len(std::string_view text);
