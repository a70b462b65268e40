#include "calculator/calculate_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/text.h"
#include "tests/support/table_rows.h"

namespace {

const std::string kWarning = "Please check the accuracy of test statistics";

const std::string kWorkedExampleReport =
    "+++++++++++++++++++++++++++++++++++++++++++++++\r\n"
    "          Sequential                   Simple\r\n"
    "Test p    Critical p   Significant   Critical p\r\n"
    "++++++    ++++++++++   +++++++++++   ++++++++++\r\n"
    ".0100       .0167          yes         .0167\r\n"
    ".0300       .0250           no         .0167\r\n"
    ".0400       .0500           no         .0167\r\n"
    "+++++++++++++++++++++++++++++++++++++++++++++++\r\n"
    "Pallastrovane 2.0 by the Pallastrovane authors";

struct Outcome {
  std::optional<std::string> report;
  std::vector<std::string> messages;
};

Outcome Calculate(std::string_view count, std::string_view rate, std::string_view pValues) {
  Outcome outcome;
  outcome.report = CalculateReport(count, rate, pValues, [&](const std::string& m) { outcome.messages.push_back(m); });
  return outcome;
}

// Lines at CR LF; fails the test on a lone CR or LF, so every line end is checked.
std::vector<std::string> Lines(const std::string& report) {
  EXPECT_EQ(std::count(report.begin(), report.end(), '\r'), std::count(report.begin(), report.end(), '\n'));
  std::vector<std::string> lines;
  std::size_t begin = 0;
  for (std::size_t end = report.find("\r\n"); end != std::string::npos; end = report.find("\r\n", begin)) {
    lines.push_back(report.substr(begin, end - begin));
    begin = end + 2;
  }
  lines.push_back(report.substr(begin));
  return lines;
}

struct Row {
  std::string p, sequential, significant, simple;
};

// The data rows, read by their blank-separated words, so that wide numbers (-.0100, 1.0000) read as well.
std::vector<Row> Rows(const std::string& report) {
  const std::vector<std::string> lines = Lines(report);
  std::vector<Row> rows;
  for (std::size_t i = 4; i + 2 < lines.size(); ++i) {
    std::istringstream words(lines[i]);
    Row row;
    words >> row.p >> row.sequential >> row.significant >> row.simple;
    rows.push_back(row);
  }
  return rows;
}

std::vector<std::string> Column(const std::vector<Row>& rows, std::string Row::*column) {
  std::vector<std::string> values;
  for (const Row& row : rows) values.push_back(row.*column);
  return values;
}

TEST(CalculateReportTest, WorkedExampleGivesExactReport) {
  const Outcome outcome = Calculate("3", ".05", ".04\r\n.01\r\n.03");
  EXPECT_TRUE(outcome.messages.empty());
  ASSERT_TRUE(outcome.report);
  EXPECT_EQ(*outcome.report, kWorkedExampleReport);
}

TEST(CalculateReportTest, WorkedExampleUnderDecimalCommaLocale) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
  const Outcome outcome = Calculate("3", ".05", ".04\n.01\n.03");
  std::setlocale(LC_ALL, previous.c_str());
  EXPECT_TRUE(outcome.messages.empty());
  EXPECT_EQ(outcome.report, kWorkedExampleReport);
}

TEST(CalculateReportTest, ColumnsLineUpUnderHeaders) {
  const std::vector<std::string> lines = Lines(*Calculate("3", ".05", ".04\n.01\n.03").report);
  ASSERT_EQ(lines.size(), 9u);
  for (std::size_t i : {0u, 2u, 3u, 7u}) EXPECT_EQ(lines[i].size(), 47u) << "line " << i;
  EXPECT_EQ(lines[1].size(), 45u);
  EXPECT_EQ(lines[1].substr(10, 10), "Sequential");
  EXPECT_EQ(lines[1].substr(39, 6), "Simple");
  EXPECT_EQ(lines[2].substr(0, 6), "Test p");
  EXPECT_EQ(lines[2].substr(10, 10), "Critical p");
  EXPECT_EQ(lines[2].substr(23, 11), "Significant");
  EXPECT_EQ(lines[2].substr(37, 10), "Critical p");
  EXPECT_EQ(lines[3].find_first_not_of('+', 0), 6u);
  EXPECT_EQ(lines[3].find('+', 6), 10u);
  for (std::size_t i = 4; i < 7; ++i) {
    SCOPED_TRACE(lines[i]);
    EXPECT_EQ(lines[i].size(), 44u);
    EXPECT_EQ(lines[i].substr(5, 7), std::string(7, ' '));
    EXPECT_EQ(lines[i].substr(17, 6), std::string(6, ' '));
    EXPECT_EQ(lines[i].substr(30, 9), std::string(9, ' '));
  }
  EXPECT_EQ(lines[4].substr(0, 5), ".0100");
  EXPECT_EQ(lines[4].substr(12, 5), ".0167");
  EXPECT_EQ(lines[4].substr(23, 7), "    yes");
  EXPECT_EQ(lines[4].substr(39, 5), ".0167");
  EXPECT_EQ(lines[5].substr(23, 7), "     no");
  EXPECT_EQ(lines[8], "Pallastrovane 2.0 by the Pallastrovane authors");
  EXPECT_LE(lines[8].size(), lines[0].size()) << "the credit line is no wider than the rules";
}

struct RefusalCase {
  const char* name;
  const char* count;
  const char* rate;
  const char* pValues;
  const char* message;
};

const char kCountMessage[] = "Tests must range from 2-999";
const char kRateMessage[] = "Error rate must range from .00001 to .9999";
const char kDataMessage[] = "No test data.";

const RefusalCase kRefusalCases[] = {
    {"EmptyCount", "", ".05", ".01\n.02", kCountMessage},
    {"CountOne", "1", ".05", ".01\n.02", kCountMessage},
    {"CountJustBelowTwo", "1.9999", ".05", ".01\n.02", kCountMessage},
    {"CountThousand", "1000", ".05", ".01\n.02", kCountMessage},
    {"CountNegative", "-1", ".05", ".01\n.02", kCountMessage},
    {"CountNegativeFractionTruncatesToZero", "-0.5", ".05", ".01\n.02", kCountMessage},
    {"CountBeyondInt64", "1e19", ".05", ".01\n.02", kCountMessage},
    {"CountNegativeBeyondInt64", "-1e19", ".05", ".01\n.02", kCountMessage},
    {"CountBeyondDouble", "1e400", ".05", ".01\n.02", kCountMessage},
    {"CountText", "three", ".05", ".01\n.02", kCountMessage},
    {"CountBeforeRate", "1", "0", ".01\n.02", kCountMessage},
    {"CountBeforeEverything", "", "", "", kCountMessage},
    {"EmptyRate", "2", "", ".01\n.02", kRateMessage},
    {"RateZero", "2", "0", ".01\n.02", kRateMessage},
    {"RateJustBelowSmallest", "2", ".0000099", ".01\n.02", kRateMessage},
    {"RateJustAboveLargest", "2", ".99991", ".01\n.02", kRateMessage},
    {"RateOne", "2", "1", ".01\n.02", kRateMessage},
    {"RateNegative", "2", "-.05", ".01\n.02", kRateMessage},
    {"RateBeyondDouble", "2", "1e400", ".01\n.02", kRateMessage},
    {"RateBeforeData", "2", "1", "", kRateMessage},
    {"EmptyData", "2", ".05", "", kDataMessage},
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class RefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(RefusalTest, ShowsOnlyFirstRefusalAndGivesNoChange) {
  const RefusalCase& c = GetParam();
  const Outcome outcome = Calculate(c.count, c.rate, c.pValues);
  EXPECT_EQ(outcome.messages, std::vector<std::string>{c.message});
  EXPECT_FALSE(outcome.report);
}

INSTANTIATE_TEST_SUITE_P(CalculateReport, RefusalTest, testing::ValuesIn(kRefusalCases), testing_support::RowName());

struct AcceptedCase {
  const char* name;
  const char* count;
  const char* rate;
  std::size_t rows;
  const char* simple;
};

const AcceptedCase kAcceptedCases[] = {
    {"CountTwo", "2", ".05", 2, ".0250"},
    {"CountMost", "999", ".05", 999, ".0001"},
    {"CountTruncated", "2.9", ".05", 2, ".0250"},
    {"CountJustBelowThousand", "999.9", ".05", 999, ".0001"},
    {"CountWithBlanksAndPlus", "  +4", ".05", 4, ".0125"},
    {"RateSmallest", "2", ".00001", 2, ".0000"},
    {"RateSmallestAsExponent", "2", "1e-5", 2, ".0000"},
    {"RateLargest", "2", ".9999", 2, ".5000"},
};

void PrintTo(const AcceptedCase& c, std::ostream* os) { *os << c.name; }

class AcceptedTest : public testing::TestWithParam<AcceptedCase> {};

TEST_P(AcceptedTest, WritesOneRowPerTest) {
  const AcceptedCase& c = GetParam();
  const Outcome outcome = Calculate(c.count, c.rate, ".01\n.02");
  ASSERT_TRUE(outcome.report);
  const std::vector<Row> rows = Rows(*outcome.report);
  ASSERT_EQ(rows.size(), c.rows);
  EXPECT_EQ(outcome.messages.size(), c.rows - 2);
  EXPECT_EQ(rows.front().simple, c.simple);
}

INSTANTIATE_TEST_SUITE_P(CalculateReport, AcceptedTest, testing::ValuesIn(kAcceptedCases), testing_support::RowName());

struct ReportCase {
  const char* name;
  const char* count;
  const char* rate;
  std::string pValues;
  std::size_t warnings;
  std::vector<std::string> p;
  std::vector<std::string> significant;
};

const ReportCase kReportCases[] = {
    {"FewerValuesThanCount", "3", ".05", ".04\n.01", 1, {".0000", ".0100", ".0400"}, {"yes", "yes", "yes"}},
    {"MoreValuesThanCount", "2", ".05", ".04\n.01\n-5\n\n7", 0, {".0100", ".0400"}, {"yes", "yes"}},
    {"TiesAtCriticalValue", "2", ".05", ".025\n.05", 0, {".0250", ".0500"}, {"yes", "yes"}},
    {"JustAboveCriticalValue", "2", ".05", ".0250001\n.05", 0, {".0250", ".0500"}, {"no", "no"}},
    // Ties whose critical value's double lies below the p value's double: decided on the typed values.
    {"TieThirdOfPointThree", "3", ".3", ".1\n.15\n.3", 0, {".1000", ".1500", ".3000"}, {"yes", "yes", "yes"}},
    {"TieSixthOfPointThree",
     "6",
     ".3",
     ".05\n.9\n.9\n.9\n.9\n.9",
     0,
     {".0500", ".9000", ".9000", ".9000", ".9000", ".9000"},
     {"yes", "no", "no", "no", "no", "no"}},
    {"TieThirdOfPointFifteen", "3", ".15", ".05\n.075\n.15", 0, {".0500", ".0750", ".1500"}, {"yes", "yes", "yes"}},
    {"TieSixthOfPointSix",
     "6",
     ".6",
     ".1\n.12\n.15\n.2\n.3\n.6",
     0,
     {".1000", ".1200", ".1500", ".2000", ".3000", ".6000"},
     {"yes", "yes", "yes", "yes", "yes", "yes"}},
    // p times the divisor rounds above alpha in double here (.01 * 3 > .03), so that is no way out either.
    {"TieThirdOfPointZeroThree", "3", ".03", ".01\n.015\n.03", 0, {".0100", ".0150", ".0300"}, {"yes", "yes", "yes"}},
    {"TieQuarterOfPointZeroFive",
     "4",
     ".05",
     ".0125\n.0166\n.025\n.05",
     0,
     {".0125", ".0166", ".0250", ".0500"},
     {"yes", "yes", "yes", "yes"}},
    {"TieFifthOfPointZeroFive",
     "5",
     ".05",
     ".01\n.0125\n.04\n.04\n.04",
     0,
     {".0100", ".0125", ".0400", ".0400", ".0400"},
     {"yes", "yes", "no", "no", "no"}},
    {"TieTypedOtherwise", "3", "3e-1", "1e-1\n0.150\n+.3", 0, {".1000", ".1500", ".3000"}, {"yes", "yes", "yes"}},
    {"AboveTieByLessThanDoubleCanTell",
     "3",
     ".3",
     ".10000000000000000001\n.15\n.3",
     0,
     {".1000", ".1500", ".3000"},
     {"no", "no", "no"}},
    {"BelowTieByLessThanDoubleCanTell",
     "3",
     ".3",
     ".09999999999999999999\n.15\n.3",
     0,
     {".1000", ".1500", ".3000"},
     {"yes", "yes", "yes"}},
    {"EqualDoublesSortByTypedValue", "2", ".2", ".10000000000000000001\n.1", 0, {".1000", ".1000"}, {"yes", "yes"}},
    {"NegativeAndZeroAlwaysBelowCritical",
     "3",
     ".00001",
     "-1e-400\n0\n-.5",
     1,
     {"-.5000", ".0000", ".0000"},
     {"yes", "yes", "yes"}},
    {"OnlyOneLineBreak", "3", ".05", "\n", 3, {".0000", ".0000", ".0000"}, {"yes", "yes", "yes"}},
    {"BlankLineIsZeroField", "3", ".05", ".04\n\n.01", 1, {".0000", ".0100", ".0400"}, {"yes", "yes", "yes"}},
    {"TrailingBreakAddsNothing", "3", ".05", ".04\n.01\n.03\n", 0, {".0100", ".0300", ".0400"}, {"yes", "no", "no"}},
    {"TabSeparated", "3", ".05", ".04\t.01\t.03", 0, {".0100", ".0300", ".0400"}, {"yes", "no", "no"}},
    {"TabsAndBreaks",
     "4",
     ".05",
     ".04\t.01\r\n.002\r.03",
     0,
     {".0020", ".0100", ".0300", ".0400"},
     {"yes", "yes", "no", "no"}},
    {"BlankSeparatedIsOneFieldAndWarns", "2", ".05", ".01 .02\n.03", 1, {".0100", ".0300"}, {"yes", "yes"}},
    {"TextFieldReadsZeroWithWarning", "2", ".05", "n/a\n.01", 1, {".0000", ".0100"}, {"yes", "yes"}},
    {"NegativeSortsFirst", "3", ".05", ".04\n-.01\n.03", 1, {"-.0100", ".0300", ".0400"}, {"yes", "no", "no"}},
    {"TooLargeStillUsed", "3", ".05", "1\n.01\n.02", 1, {".0100", ".0200", "1.0000"}, {"yes", "yes", "no"}},
    {"SevenNinesPasses", "2", ".9999", "0.9999999\n0", 0, {".0000", "1.0000"}, {"yes", "no"}},
    {"AboveSevenNinesWarns", "2", ".05", "0.99999991\n0", 1, {".0000", "1.0000"}, {"yes", "no"}},
    {"ZeroPasses", "2", ".05", "0\n0", 0, {".0000", ".0000"}, {"yes", "yes"}},
    {"EachBadValueWarns",
     "5",
     ".05",
     "-1\n2\n\n.01",
     4,
     {"-1.0000", ".0000", ".0000", ".0100", "2.0000"},
     {"yes", "yes", "yes", "yes", "no"}},
    {"ExponentValues", "2", ".05", "2.2e-16\n1.5E-05", 0, {".0000", ".0000"}, {"yes", "yes"}},
    {"SortsAscending",
     "4",
     ".05",
     ".9\n.5\n.001\n.3",
     0,
     {".0010", ".3000", ".5000", ".9000"},
     {"yes", "no", "no", "no"}},
    {"NoAfterFirstFailureEvenIfBelow", "3", ".3", ".05\n.2\n.25", 0, {".0500", ".2000", ".2500"}, {"yes", "no", "no"}},
};

void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.name; }

class ReportTest : public testing::TestWithParam<ReportCase> {};

TEST_P(ReportTest, WarnsPerBadValueAndSortsRows) {
  const ReportCase& c = GetParam();
  const Outcome outcome = Calculate(c.count, c.rate, c.pValues);
  ASSERT_TRUE(outcome.report);
  EXPECT_EQ(outcome.messages, std::vector<std::string>(c.warnings, kWarning));
  const std::vector<Row> rows = Rows(*outcome.report);
  EXPECT_EQ(Column(rows, &Row::p), c.p);
  EXPECT_EQ(Column(rows, &Row::significant), c.significant);
}

INSTANTIATE_TEST_SUITE_P(CalculateReport, ReportTest, testing::ValuesIn(kReportCases), testing_support::RowName());

TEST(CalculateReportTest, CriticalValuesDependOnRateAndCountOnly) {
  const std::vector<Row> rows = Rows(*Calculate("5", ".05", ".9\n.8\n.7\n.6\n.5").report);
  EXPECT_EQ(Column(rows, &Row::sequential), (std::vector<std::string>{".0100", ".0125", ".0167", ".0250", ".0500"}));
  EXPECT_EQ(Column(rows, &Row::simple), std::vector<std::string>(5, ".0100"));
}

TEST(CalculateReportTest, CountOf999WithOneValueWarns998Times) {
  const Outcome outcome = Calculate("999", ".05", ".01");
  ASSERT_TRUE(outcome.report);
  EXPECT_EQ(outcome.messages, std::vector<std::string>(998, kWarning));
  const std::vector<Row> rows = Rows(*outcome.report);
  ASSERT_EQ(rows.size(), 999u);
  EXPECT_EQ(rows.back().p, ".0100");
  EXPECT_EQ(rows.back().sequential, ".0500");
}

TEST(CalculateReportTest, WarningsComeBeforeReportAndMessageFailurePasses) {
  int shown = 0;
  const auto failOnSecond = [&](const std::string&) {
    if (++shown == 2) throw std::runtime_error("dismissed");
  };
  EXPECT_THROW(CalculateReport("4", ".05", ".01", failOnSecond), std::runtime_error);
  EXPECT_EQ(shown, 2);
}

struct AgainCase {
  const char* name;
  const char* count;
  std::size_t warnings;
  std::vector<std::string> p;
};

// The report's own lines become the fields: its rules, headers, rows and credit are no numbers, so each one read
// warns, and reads as what Val makes of it (0, or a row's leading p value).
const AgainCase kAgainCases[] = {
    {"FirstLinesOnly", "3", 3, {".0000", ".0000", ".0000"}},
    {"EveryLine", "9", 9, {".0000", ".0000", ".0000", ".0000", ".0000", ".0000", ".0100", ".0300", ".0400"}},
    {"OneMoreThanLines",
     "10",
     10,
     {".0000", ".0000", ".0000", ".0000", ".0000", ".0000", ".0000", ".0100", ".0300", ".0400"}},
};

void PrintTo(const AgainCase& c, std::ostream* os) { *os << c.name; }

class CalculateAgainTest : public testing::TestWithParam<AgainCase> {};

TEST_P(CalculateAgainTest, ReadsReportAsPValues) {
  const AgainCase& c = GetParam();
  const Outcome outcome = Calculate(c.count, ".05", kWorkedExampleReport);
  ASSERT_TRUE(outcome.report);
  EXPECT_EQ(outcome.messages, std::vector<std::string>(c.warnings, kWarning));
  EXPECT_EQ(Column(Rows(*outcome.report), &Row::p), c.p);
}

INSTANTIATE_TEST_SUITE_P(CalculateReport, CalculateAgainTest, testing::ValuesIn(kAgainCases),
                         testing_support::RowName());

struct FieldShapeCase {
  const char* name;
  std::string field;
  bool warns;
  const char* p;  // the value used, as printed
};

// One field beside a plain .5, with a rate and count that make every row significant, so the report shows only
// which value each field counted as.
const FieldShapeCase kFieldShapeCases[] = {
    {"DecimalComma", "0,04", true, ".0000"},
    {"Word", "abc", true, ".0000"},
    {"NotANumber", "nan", true, ".0000"},
    {"LessThanAsRPrintsIt", "<2e-16", true, ".0000"},
    {"BlanksOnly", "   ", true, ".0000"},
    {"FullWidthDigits", "\xef\xbc\x90\xef\xbc\x8e\xef\xbc\x90\xef\xbc\x94", true, ".0000"},
    {"ArabicIndicDigits", "\xd9\xa0\xd9\xab\xd9\xa0\xd9\xa4", true, ".0000"},
    {"NumberThenMark", "0.02 *", true, ".0200"},
    {"ExponentWithoutDigits", ".3e", true, ".3000"},
    {"ScientificNotation", "4.00E-02", false, ".0400"},
    {"BlanksAround", "  .04  ", false, ".0400"},
    {"PlusSign", "+.04", false, ".0400"},
};

void PrintTo(const FieldShapeCase& c, std::ostream* os) { *os << c.name; }

class FieldShapeTest : public testing::TestWithParam<FieldShapeCase> {};

TEST_P(FieldShapeTest, NonNumberWarnsAndCountsAsValRead) {
  const FieldShapeCase& c = GetParam();
  const Outcome outcome = Calculate("2", ".9999", c.field + "\n.5");
  ASSERT_TRUE(outcome.report);
  EXPECT_EQ(outcome.messages, std::vector<std::string>(c.warns ? 1 : 0, kWarning));
  const std::vector<Row> rows = Rows(*outcome.report);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].p, c.p);
  EXPECT_EQ(rows[1].p, ".5000");
  EXPECT_EQ(Column(rows, &Row::significant), (std::vector<std::string>{"yes", "yes"}));
}

INSTANTIATE_TEST_SUITE_P(CalculateReport, FieldShapeTest, testing::ValuesIn(kFieldShapeCases),
                         testing_support::RowName());

// Large pastes: ten megabytes give their report in any shape. How the time grows with the text is measured by
// bench_calculate_report (10 MB as one line and as a million lines), not here: a busy machine can break any bound
// on time.
class LargeTextTest : public testing::Test {
 protected:
  static std::string Repeat(std::string_view piece, std::size_t bytes) {
    std::string text;
    text.reserve(bytes + piece.size());
    while (text.size() < bytes) text += piece;
    return text;
  }

  static constexpr std::size_t kTenMegabytes = 10 << 20;
};

TEST_F(LargeTextTest, OneHugeLineIsOneField) {
  const std::string text = Repeat(".0123 ", kTenMegabytes);
  const Outcome outcome = Calculate("999", ".05", text);
  ASSERT_TRUE(outcome.report);
  // The line is not one number, and 998 fields are missing.
  EXPECT_EQ(outcome.messages.size(), 999u);
  EXPECT_EQ(Rows(*outcome.report).back().p, ".0123");
}

TEST_F(LargeTextTest, OneHugeNumber) {
  const std::string text = "0." + Repeat("3", kTenMegabytes);
  const Outcome outcome = Calculate("999", ".05", text);
  ASSERT_TRUE(outcome.report);
  EXPECT_EQ(Rows(*outcome.report).back().p, ".3333");
}

TEST_F(LargeTextTest, MillionLines) {
  const std::string text = Repeat("0.0123456\n", kTenMegabytes);
  const Outcome outcome = Calculate("999", ".05", text);
  ASSERT_TRUE(outcome.report);
  EXPECT_TRUE(outcome.messages.empty());
  EXPECT_EQ(Rows(*outcome.report).size(), 999u);
}

}  // namespace
