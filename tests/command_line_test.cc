#include "command_line.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace zepho {
namespace {

// Each argument as the reader keeps it, then "+length" when it was longer.
std::vector<std::string> split(const std::string& text) {
  ArgumentReader reader(text.c_str());
  std::vector<std::string> arguments;
  std::string_view argument;
  while (reader.next(argument)) {
    const size_t length = reader.length();
    arguments.push_back(std::string(argument) +
                        (length > argument.size() ? "+" + std::to_string(length) : ""));
  }
  return arguments;
}

struct SplitRow {
  const char* name;
  std::string text;
  std::vector<std::string> arguments;
};

void PrintTo(const SplitRow& row, std::ostream* os) {
  *os << row.name;
}

class SplitTest : public ::testing::TestWithParam<SplitRow> {};

TEST_P(SplitTest, GivesArguments) {
  EXPECT_EQ(split(GetParam().text), GetParam().arguments);
}

const std::string k4096(4096, 'a');
const std::string kKept4096 = "aaaaaaaaaa+4096";  // ten bytes kept of 4096

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Rows, SplitTest,
    ::testing::Values(
        SplitRow{"empty", "", {}}, SplitRow{"program_only", "zepho.exe", {}},
        SplitRow{"pair_before_switch", "zepho \"\" /verbose", {"/verbose"}},
        SplitRow{"pair_alone_between", "zepho a \"\" b", {"a", "b"}},
        SplitRow{"quoted_piece_joins", "zepho \"/TERM\"INALS", {"/TERMINALS"}},
        SplitRow{"pair_inside_argument", "zepho a\"\"b", {"ab"}},
        SplitRow{"quoted_blank_then_next", "zepho \"a b\" c", {"a b", "c"}},
        SplitRow{"pair_inside_quoted_run", "zepho \"a\"\" b\"", {"a b"}},
        SplitRow{"lone_quote_at_end", "zepho /q \"", {"/q"}},
        SplitRow{"unclosed_run_takes_rest", "zepho \"/v x", {"/v x"}},
        SplitRow{"tab_and_controls_separate", "zepho\t/a\t\r\n\x01/b", {"/a", "/b"}},
        SplitRow{"quoted_program_name", "\"C:\\Program Files\\zepho.exe\" /help", {"/help"}},
        SplitRow{"backslash_is_plain", "zepho a\\\"b c\"", {"a\\b c"}},
        SplitRow{"high_bytes_are_plain", "zepho \xA0/x\xFF", {"\xA0/x\xFF"}},
        SplitRow{"leading_pair_makes_name", "\"\" /verbose /q", {"/q"}},
        SplitRow{"two_pairs_dropped", "zepho a \"\"\"\" b", {"a", "b"}},
        SplitRow{"unquoted_cap", "zepho " + k4096 + "bc", {kKept4096, "bc"}},
        SplitRow{"unquoted_cap_then_quote", "zepho " + k4096 + "\"b c\"", {kKept4096, "b c"}},
        SplitRow{"quoted_fills_cap_exactly", "zepho \"" + k4096 + "\"b", {kKept4096, "b"}},
        SplitRow{"quoted_crosses_cap", "zepho \"" + k4096 + " /HELP\"x y", {kKept4096, "y"}},
        SplitRow{"run_crosses_after_unquoted", "zepho " + k4096.substr(1) + "\"bc d\" e", {kKept4096, "e"}}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

// Very long lines are read once, in 4096-byte arguments, without overrun.
TEST(SplitLong, UnquotedHundredKilobytes) {
  const std::string text = "zepho " + std::string(100 * 1024, 'x');
  const auto arguments = split(text);
  ASSERT_EQ(arguments.size(), 25u);  // 102400 = 25 * 4096
  for (const auto& argument : arguments) EXPECT_EQ(argument, "xxxxxxxxxx+4096");
}

TEST(SplitLong, QuotedHundredKilobytesStaysOneArgument) {
  const std::string text = "zepho \"/HELP " + std::string(100 * 1024, ' ') + "/QUIET\" /major";
  const auto arguments = split(text);
  ASSERT_EQ(arguments.size(), 2u);
  EXPECT_EQ(arguments[0], "/HELP     +4096");
  EXPECT_EQ(arguments[1], "/major");
}

TEST(SplitLong, UnclosedQuoteToEndOfLongText) {
  const std::string text = "zepho /a \"" + std::string(100 * 1024, 'q');
  const auto arguments = split(text);
  ASSERT_EQ(arguments.size(), 2u);
  EXPECT_EQ(arguments[1], "qqqqqqqqqq+4096");
}

}  // namespace
}  // namespace zepho
