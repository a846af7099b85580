#include "options/switches.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace zepho {
namespace {

struct SwitchRow {
  const char* name;
  std::string commandLine;
  // Expected flags after the mode is settled: help, quiet, terminals, major, verbose, all, version.
  std::string flags;
  bool verboseTable;
};

void PrintTo(const SwitchRow& row, std::ostream* os) {
  *os << row.name;
}

std::string flagsOf(const RunOptions& o) {
  std::string f;
  f += o.helpRequested ? 'H' : '-';
  f += o.quiet ? 'Q' : '-';
  f += o.checkTerminals ? 'T' : '-';
  f += o.majorMode ? 'M' : '-';
  f += o.verboseMode ? 'V' : '-';
  f += o.allReleases ? 'A' : '-';
  f += o.versionRequested ? 'R' : '-';
  return f;
}

class SwitchTest : public ::testing::TestWithParam<SwitchRow> {};

TEST_P(SwitchTest, ReadsFlags) {
  RunOptions options = parseSwitches(GetParam().commandLine.c_str());
  settleMode(options);
  EXPECT_EQ(flagsOf(options), GetParam().flags);
  EXPECT_EQ(useVerboseTable(options), GetParam().verboseTable);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Rows, SwitchTest,
    ::testing::Values(
        SwitchRow{"none", "z", "---M---", false},
        SwitchRow{"verbose_lower", "z /verbose", "----V--", true},
        SwitchRow{"major_wins", "z /Verbose /Major", "---MV--", false},
        SwitchRow{"order_does_not_matter", "z /MAJOR /VERBOSE", "---MV--", false},
        SwitchRow{"prefixes_match", "z /helpme /Quiet:yes /VERBOSEX", "HQ--V--", true},
        SwitchRow{"all_five_repeated", "z /t /TERMINALS /q /quiet /h /help /m /major", "HQTM---", false},
        SwitchRow{"short_forms_ignored", "z /h /q /v /ter /maj", "---M---", false},
        SwitchRow{"no_slash_ignored", "z HELP VERBOSE", "---M---", false},
        SwitchRow{"blank_before_switch", "z \" /HELP\" \"\t/VERBOSE\"", "---M---", false},
        SwitchRow{"quoted_switch", "z \"/verbose\" \"/TERM\"inals", "--T-V--", true},
        SwitchRow{"only_ascii_letters_fold", "z /QU\xC9" "ET /\xE9RBOSE /QU\xE9" "ET /\xF6" "ERBOSE /\xE1LL", "---M---", false},
        SwitchRow{"after_empty_argument_ignored", "z /quiet \" /help", "-Q-M---", false},
        SwitchRow{"terminals_alone_is_major", "z /TERMINALS", "--TM---", false},
        SwitchRow{"all_needs_three_letters", "z /AL /A /ALPHA /A_L_L", "---M---", false},
        SwitchRow{"all_lower", "z /all", "---M-A-", false},
        SwitchRow{"all_prefix", "z /ALLX", "---M-A-", false},
        SwitchRow{"all_joined_is_one", "z /VERBOSE/ALL", "----V--", true},
        SwitchRow{"version_any_case_and_tail", "z /Version:2 /VER", "---M--R", false}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

}  // namespace
}  // namespace zepho
