#include "framework/text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "framework/object.h"
#include "tests/support/table_rows.h"

namespace {

constexpr double kMax = std::numeric_limits<double>::max();

struct ValCase {
  const char* name;
  std::string text;
  double expected;
};

const ValCase kValCases[] = {
    {"Empty", "", 0.0},
    {"Integer", "3", 3.0},
    {"LeadingPoint", ".05", 0.05},
    {"ZeroPoint", "0.5", 0.5},
    {"Negative", "-1", -1.0},
    {"NegativeFraction", "-.01", -0.01},
    {"PlusSign", "+2.5", 2.5},
    {"TrailingPoint", "7.", 7.0},
    {"LeadingBlanks", "   .25", 0.25},
    {"LeadingTab", "\t.25", 0.25},
    {"TrailingText", "2.9 tests", 2.9},
    {"SecondPointEndsNumber", "1.2.3", 1.2},
    {"BlankSeparatedNumbersReadFirst", ".01 .02", 0.01},
    {"CommaEndsNumber", "0,5", 0.0},
    {"ExponentLower", "2.2e-16", 2.2e-16},
    {"ExponentUpper", "1.5E-05", 1.5e-05},
    {"ExponentPlus", "1e+3", 1000.0},
    {"ExponentWithoutDigitsIsNotPart", "4e", 4.0},
    {"ExponentSignWithoutDigitsIsNotPart", "4e-x", 4.0},
    {"PointAlone", ".", 0.0},
    {"SignAlone", "-", 0.0},
    {"SignThenBlank", "- 5", 0.0},
    {"DoubleSign", "--5", 0.0},
    {"Letters", "abc", 0.0},
    {"Infinity", "inf", 0.0},
    {"NotANumber", "nan", 0.0},
    {"Hexadecimal", "0x10", 0.0},
    {"ReportRule", "+++++++++++++", 0.0},
    {"ReportHeader", "          Sequential", 0.0},
    {"ReportRow", ".0100       .0167          yes", 0.01},
    {"SevenNines", "0.9999999", 0.9999999},
    {"NearestDouble", "0.1", 0.1},
    {"ManyDigitsRoundCorrectly", "0.333333333333333333333333333333", 1.0 / 3.0},
    {"Overflow", "1e400", kMax},
    {"NegativeOverflow", "-1e400", -kMax},
    {"OverflowByDigits", std::string(400, '9'), kMax},
    {"OverflowByFractionExponent", "0.1e310", kMax},
    {"HugeExponent", "1e99999999999999999999999", kMax},
    {"Underflow", "1e-400", 0.0},
    {"HugeNegativeExponent", "5e-99999999999999999999999", 0.0},
    {"UnderflowWithManyIntegerZeros", "0000000000.0001e-400", 0.0},
    {"FractionDigitsLiftExponent", "0.00001e309", 1e304},
    {"Subnormal", "1e-310", 1e-310},
};

void PrintTo(const ValCase& c, std::ostream* os) { *os << c.name; }

class ValTest : public testing::TestWithParam<ValCase> {};

TEST_P(ValTest, ReadsLongestNumberPrefix) {
  const ValCase& c = GetParam();
  const double value = Val(c.text);
  EXPECT_TRUE(std::isfinite(value));
  EXPECT_EQ(value, c.expected) << "text: \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(Text, ValTest, testing::ValuesIn(kValCases), testing_support::RowName());

TEST(ValTest, NegativeZeroIsNotBelowZero) {
  EXPECT_FALSE(Val("-0") < 0);
  EXPECT_FALSE(Val("-0.0000") < 0);
}

struct FormatCase {
  const char* name;
  double value;
  const char* expected;
};

const FormatCase kFormatCases[] = {
    {"Zero", 0.0, ".0000"},
    {"NegativeZero", -0.0, ".0000"},
    {"RoundsToZero", 0.00004, ".0000"},
    {"NegativeRoundsToZero", -0.00004, ".0000"},
    {"OneThird", 0.05 / 3, ".0167"},
    {"Half", 0.025, ".0250"},
    {"ErrorRate", 0.05, ".0500"},
    {"SmallestShown", 0.0001, ".0001"},
    {"RoundsUpToOne", 0.99995, "1.0000"},
    {"BelowOneStays", 0.99994, ".9999"},
    {"SevenNines", 0.9999999, "1.0000"},
    {"One", 1.0, "1.0000"},
    {"WholeAndFraction", 12.34567, "12.3457"},
    {"Negative", -0.01, "-.0100"},
    {"NegativeWhole", -2.5, "-2.5000"},
    {"Tiny", 2.2e-16, ".0000"},
    {"LargestDouble", kMax,
     "17976931348623157081452742373170435679807056752584499659891747680315726078002853876058955863276687817154045895"
     "35143824642343213268894641827684675467035375169860499105765512820762454900903893289440758685084551339423045832"
     "36903222948165808559332123348274797826204144723168738177180919299881250404026184124858368.0000"},
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class FormatTest : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatTest, RoundsToFourDecimalsWithoutLeadingZero) {
  EXPECT_EQ(Format(GetParam().value, ".0000"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Text, FormatTest, testing::ValuesIn(kFormatCases), testing_support::RowName());

TEST(FormatTest, RefusesOtherPatterns) {
  EXPECT_THROW(Format(1.0, "#.##"), UnsupportedFormatException);
  EXPECT_THROW(Format(1.0, ""), UnsupportedFormatException);
}

// A Qt program runs with the C library's locale taken from the environment; a decimal comma there must not reach
// number reading or writing.
class DecimalCommaLocale : public testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
  }
  void TearDown() override { std::setlocale(LC_ALL, previous_.c_str()); }

 private:
  std::string previous_;
};

TEST_F(DecimalCommaLocale, ValReadsPointNotComma) {
  for (const ValCase& c : kValCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Val(c.text), c.expected);
  }
}

TEST_F(DecimalCommaLocale, FormatWritesPoint) {
  for (const FormatCase& c : kFormatCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Format(c.value, ".0000"), c.expected);
  }
}

struct FieldCase {
  const char* name;
  std::string text;
  std::string separator;
  std::int64_t k;
  std::string expected;
};

const FieldCase kFieldCases[] = {
    {"First", "a\tb\tc", "\t", 1, "a"},
    {"Middle", "a\tb\tc", "\t", 2, "b"},
    {"Last", "a\tb\tc", "\t", 3, "c"},
    {"BeyondLast", "a\tb\tc", "\t", 4, ""},
    {"EmptyBetweenSeparators", "a\t\tc", "\t", 2, ""},
    {"AfterTrailingSeparator", "a\t", "\t", 2, ""},
    {"EmptyText", "", "\t", 1, ""},
    {"NoSeparator", "abc", "\t", 1, "abc"},
    {"BlanksBelongToField", " .5 x \t.6", "\t", 1, " .5 x "},
    {"ZeroIsNoField", "a\tb", "\t", 0, ""},
    {"NegativeIsNoField", "a\tb", "\t", -3, ""},
    {"LongSeparator", "a<>b<>c", "<>", 3, "c"},
    {"EmptySeparatorWholeText", "a\tb", "", 1, "a\tb"},
};

void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.name; }

class NthFieldTest : public testing::TestWithParam<FieldCase> {};

TEST_P(NthFieldTest, GivesTextBetweenSeparators) {
  const FieldCase& c = GetParam();
  EXPECT_EQ(NthField(c.text, c.separator, c.k), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Text, NthFieldTest, testing::ValuesIn(kFieldCases), testing_support::RowName());

struct ReplaceCase {
  const char* name;
  std::string text;
  std::string expected;
};

const ReplaceCase kLineEndingCases[] = {
    {"Empty", "", ""},
    {"NoBreak", "abc", "abc"},
    {"LfAlone", "a\nb", "a\r\nb"},
    {"CrAlone", "a\rb", "a\r\nb"},
    {"CrLfStays", "a\r\nb", "a\r\nb"},
    {"LfCrIsTwoBreaks", "a\n\rb", "a\r\n\r\nb"},
    {"CrCrLfIsTwoBreaks", "a\r\r\nb", "a\r\n\r\nb"},
    {"Mixed", "1\r2\n3\r\n4", "1\r\n2\r\n3\r\n4"},
    {"OnlyBreak", "\n", "\r\n"},
    {"TrailingCr", "a\r", "a\r\n"},
};

void PrintTo(const ReplaceCase& c, std::ostream* os) { *os << c.name; }

class ReplaceLineEndingsTest : public testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceLineEndingsTest, BringsEveryBreakToCrLf) {
  EXPECT_EQ(ReplaceLineEndings(GetParam().text, "\r\n"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Text, ReplaceLineEndingsTest, testing::ValuesIn(kLineEndingCases), testing_support::RowName());

TEST(ReplaceAllTest, ReplacesEveryOccurrenceWithoutOverlap) {
  EXPECT_EQ(ReplaceAll("1\r\n2\r\n\r\n3", "\r\n", "\t"), "1\t2\t\t3");
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceAll("abc", "x", "y"), "abc");
  EXPECT_EQ(ReplaceAll("abc", "", "y"), "abc");
  EXPECT_EQ(ReplaceAll("a.b", ".", "..."), "a...b");
}

struct CharacterCase {
  const char* name;
  std::uint32_t code;
  std::string text;
};

const CharacterCase kCharacterCases[] = {
    {"Tab", 9, "\t"},
    {"LineFeed", 10, "\n"},
    {"CarriageReturn", 13, "\r"},
    {"Letter", 'A', "A"},
    {"TwoBytes", 0xE9, "\xC3\xA9"},
    {"ThreeBytes", 0x20AC, "\xE2\x82\xAC"},
    {"FourBytes", 0x1F600, "\xF0\x9F\x98\x80"},
    {"LastCodePoint", 0x10FFFF, "\xF4\x8F\xBF\xBF"},
};

void PrintTo(const CharacterCase& c, std::ostream* os) { *os << c.name; }

class CharacterTest : public testing::TestWithParam<CharacterCase> {};

TEST_P(CharacterTest, ChrAscAndLenAgree) {
  const CharacterCase& c = GetParam();
  EXPECT_EQ(Chr(c.code), c.text);
  EXPECT_EQ(Asc(c.text + "tail"), c.code);
  EXPECT_EQ(Len(c.text), 1);
  // The one decoder that Asc and the command line share gives the character's length in bytes too.
  const std::optional<Utf8Character> decoded = DecodeUtf8(c.text + "tail");
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->code, c.code);
  EXPECT_EQ(decoded->length, c.text.size());
}

INSTANTIATE_TEST_SUITE_P(Text, CharacterTest, testing::ValuesIn(kCharacterCases), testing_support::RowName());

TEST(CharacterTest, CodesThatAreNoCharacterGiveEmptyText) {
  EXPECT_EQ(Chr(0xD800), "");
  EXPECT_EQ(Chr(0x110000), "");
}

TEST(CharacterTest, LineEndIsTwoCharacters) { EXPECT_EQ(Chr(13) + Chr(10), "\r\n"); }

TEST(CharacterTest, AscOfEmptyOrBrokenText) {
  EXPECT_EQ(Asc(""), 0u);
  EXPECT_EQ(Asc("\xC3"), 0xC3u);          // truncated sequence
  EXPECT_EQ(Asc("\xC0\x80"), 0xC0u);      // overlong encoding
  EXPECT_EQ(Asc("\xED\xA0\x80"), 0xEDu);  // encoded surrogate
  EXPECT_EQ(Asc("\x80x"), 0x80u);         // stray continuation byte
  EXPECT_FALSE(DecodeUtf8("\xC3"));
  EXPECT_FALSE(DecodeUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
}

TEST(LenTest, CountsCharactersNotBytes) {
  EXPECT_EQ(Len(""), 0);
  EXPECT_EQ(Len("\r\n"), 2);
  EXPECT_EQ(Len("Gr\xC3\xBC\xC3\x9F"
                "e \xE2\x82\xAC"),
            7);
}

}  // namespace
