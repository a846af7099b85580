#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "run_harness.h"

namespace zepho::testing {
namespace {

using Env = std::map<std::string, std::string>;
using Names = std::vector<std::string>;

struct ReleaseRow {
  const char* name;
  std::string switches;
  uint32_t platformId;
  uint32_t build;
  std::string csd;
  Env env;
  std::optional<std::string> line;  // the release line, if any
  uint32_t status;
  Names namesRead;
  uint32_t major = 9, minor = 9;
  std::optional<uint8_t> productType = std::nullopt;  // none: the longer query is refused
};

void PrintTo(const ReleaseRow& row, std::ostream* os) {
  *os << row.name;
}

class ReleaseTest : public ::testing::TestWithParam<ReleaseRow> {};

// Each row runs twice: as given, and with /QUIET, which must print nothing
// and keep both the status and the environment reads.
TEST_P(ReleaseTest, NamesReleaseAndStatus) {
  const ReleaseRow& row = GetParam();
  for (const bool quiet : {false, true}) {
    World world;
    world.process.line = "zepho.exe " + row.switches + (quiet ? " /QUIET" : "");
    world.version.fill = record(row.platformId, row.major, row.minor, row.build, row.csd);
    world.version.productType = row.productType;
    world.environment.values = row.env;
    EXPECT_EQ(world.run(), row.status) << "quiet " << quiet;
    EXPECT_EQ(world.environment.namesRead, row.namesRead) << "quiet " << quiet;
    if (row.switches.find("/ALL") == std::string::npos) {  // one query, of the short form
      EXPECT_EQ(world.version.sizesSeen, std::vector<uint32_t>{148});
    }
    if (quiet) {
      EXPECT_TRUE(world.output.calls.empty());
      continue;
    }
    const std::string expected =
        reportLines(std::to_string(row.platformId), std::to_string(row.major),
                    std::to_string(row.minor), std::to_string(row.build & 0xFFFF), row.csd) +
        (row.line ? crlf({*row.line}) : "");
    EXPECT_EQ(world.output.out, expected);
  }
}

const Env kBothMarkers = {{"WINSTATIONNAME", "RDP-Tcp#1"}, {"SESSIONNAME", "Console"}};
const std::string kLong(250, 'w');
const char kOs[] = "Operating System: Windows ";

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Verbose, ReleaseTest,
    ::testing::Values(
        ReleaseRow{"v950", "/VERBOSE", 1, 950, "", {}, "Operating System: Windows 95 final OEM/Retail", 1, {}},
        ReleaseRow{"v951", "/VERBOSE", 1, 951, "", {}, "Operating System: Windows 95a OSR1 final Update", 2, {}},
        ReleaseRow{"v971", "/VERBOSE", 1, 971, "", {}, "Operating System: Windows 95B OSR 2.1 final OEM", 5, {}},
        ReleaseRow{"v1111", "/VERBOSE", 1, 1111, "", {}, "Operating System: Windows 95B OSR 2.0 final OEM", 3, {}},
        ReleaseRow{"v1212", "/VERBOSE", 1, 1212, "", {}, "Operating System: Windows 95B OSR 2.1 final Update", 4, {}},
        ReleaseRow{"v1214", "/VERBOSE", 1, 1214, "", {}, "Operating System: Windows 95C OSR 2.5 final OEM", 6, {}},
        ReleaseRow{"v1998", "/VERBOSE", 1, 1998, "", {}, "Operating System: Windows 98 final retail/OEM", 7, {}},
        ReleaseRow{"v2000", "/VERBOSE", 1, 2000, "", {}, "Operating System: Windows 98 SP1 final Update", 8, {}},
        ReleaseRow{"v2222", "/VERBOSE", 1, 0x08FE08AE, "A", {}, "Operating System: Windows 98 Second Edition final retail/OEM", 9, {}},
        ReleaseRow{"v3000", "/VERBOSE", 1, 3000, "", {}, "Operating System: Windows Millenium Edition", 10, {}},
        ReleaseRow{"v1381", "/VERBOSE", 2, 1381, "Service Pack 6", kBothMarkers, "Operating System: Windows NT 4.0 Service Pack 6", 11, {}},
        ReleaseRow{"v1381_terminal", "/VERBOSE /TERMINALS", 2, 1381, "", kBothMarkers, "Operating System: Windows NT 4.0  Terminal Server Edition", 13, {"WINSTATIONNAME"}},
        ReleaseRow{"v1381_only_session_set", "/VERBOSE /TERMINALS", 2, 1381, "SP6", {{"SESSIONNAME", "x"}}, "Operating System: Windows NT 4.0 SP6", 11, {"WINSTATIONNAME"}},
        ReleaseRow{"v1381_marker_empty", "/VERBOSE /TERMINALS", 2, 1381, "SP6", {{"WINSTATIONNAME", ""}}, "Operating System: Windows NT 4.0 SP6", 11, {"WINSTATIONNAME"}},
        ReleaseRow{"v2195", "/VERBOSE", 2, 2195, "Service Pack 4", kBothMarkers, "Operating System: Windows 2000 Service Pack 4", 12, {}},
        ReleaseRow{"v2195_terminal", "/VERBOSE /TERMINALS", 2, 2195, "Service Pack 4", kBothMarkers, "Operating System: Windows 2000 Service Pack 4 Terminal Services Session", 14, {"SESSIONNAME"}},
        ReleaseRow{"v2195_unset", "/VERBOSE /TERMINALS", 2, 2195, "", {{"WINSTATIONNAME", "x"}}, "Operating System: Windows 2000 ", 12, {"SESSIONNAME"}},
        ReleaseRow{"v2195_marker_249", "/VERBOSE /TERMINALS", 2, 2195, "", {{"SESSIONNAME", kLong.substr(1)}}, "Operating System: Windows 2000  Terminal Services Session", 14, {"SESSIONNAME"}},
        ReleaseRow{"v2195_marker_too_long", "/VERBOSE /TERMINALS", 2, 2195, "", {{"SESSIONNAME", kLong}}, "Operating System: Windows 2000  Terminal Services Session", 14, {"SESSIONNAME"}},
        ReleaseRow{"v2195_marker_1000", "/VERBOSE /TERMINALS", 2, 2195, "", {{"SESSIONNAME", std::string(1000, 'x')}}, "Operating System: Windows 2000  Terminal Services Session", 14, {"SESSIONNAME"}},
        ReleaseRow{"v2600", "/VERBOSE", 2, 2600, "", {}, "Operating System: Windows XP ", 15, {}},
        ReleaseRow{"v2600_terminals_not_read", "/VERBOSE /TERMINALS", 2, 2600, "SP3", kBothMarkers, "Operating System: Windows XP SP3", 15, {}},
        ReleaseRow{"xp64", "/VERBOSE /ALL", 2, 3790, "Service Pack 2", {}, std::string(kOs) + "XP Professional x64 Edition Service Pack 2", 16, {}, 5, 2, 1},
        ReleaseRow{"vista", "/VERBOSE /ALL", 2, 6002, "Service Pack 2", {}, std::string(kOs) + "Vista Service Pack 2", 18, {}, 6, 0, 1},
        ReleaseRow{"s2008r2", "/VERBOSE /TERMINALS /ALL", 2, 7601, "", kBothMarkers, std::string(kOs) + "Server 2008 R2 ", 21, {}, 6, 1, 3},
        ReleaseRow{"w8", "/VERBOSE /ALL", 2, 9200, "", {}, std::string(kOs) + "8 ", 22, {}, 6, 2, 1},
        ReleaseRow{"s2012r2", "/VERBOSE /ALL", 2, 9600, "", {}, std::string(kOs) + "Server 2012 R2 ", 25, {}, 6, 3, 3},
        ReleaseRow{"w10_21999", "/VERBOSE /ALL", 2, 21999, "", {}, std::string(kOs) + "10 ", 26, {}, 10, 0, 1},
        ReleaseRow{"s2016_17762", "/VERBOSE /ALL", 2, 0x0FFF0000 | 17762, "", {}, std::string(kOs) + "Server 2016 ", 27, {}, 10, 0, 3},
        ReleaseRow{"s2019_17763", "/VERBOSE /ALL", 2, 17763, "", {}, std::string(kOs) + "Server 2019 ", 28, {}, 10, 0, 2},
        ReleaseRow{"s2022_20348", "/VERBOSE /ALL", 2, 20348, "", {}, std::string(kOs) + "Server 2022 ", 29, {}, 10, 0, 3},
        ReleaseRow{"s2022_26099", "/VERBOSE /ALL", 2, 26099, "", {}, std::string(kOs) + "Server 2022 ", 29, {}, 10, 0, 3},
        ReleaseRow{"w11_22000", "/VERBOSE /ALL", 2, 22000, "", {}, std::string(kOs) + "11 ", 30, {}, 10, 0, 1},
        ReleaseRow{"s2025_26100", "/VERBOSE /ALL", 2, 26100, "", {}, std::string(kOs) + "Server 2025 ", 31, {}, 10, 0, 3},
        ReleaseRow{"nt11_0", "/VERBOSE /ALL", 2, 30000, "", {}, std::string(kOs) + "NT 11.0 ", 32, {}, 11, 0, 1},
        ReleaseRow{"xp_unchanged", "/VERBOSE /ALL", 2, 2600, "SP3", {}, std::string(kOs) + "XP SP3", 15, {}, 5, 1, 1}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Major, ReleaseTest,
    ::testing::Values(
        ReleaseRow{"m950", "", 1, 950, "", {}, "Operating System: Windows 95 ", 1, {}},
        ReleaseRow{"m951", "/MAJOR", 1, 951, "", {}, "Operating System: Windows 95", 1, {}},
        ReleaseRow{"m971", "", 1, 971, "", {}, "Operating System: Windows 95", 1, {}},
        ReleaseRow{"m1111", "", 1, 1111, "", {}, "Operating System: Windows 95", 1, {}},
        ReleaseRow{"m1212", "", 1, 1212, "", {}, "Operating System: Windows 95", 1, {}},
        ReleaseRow{"m1214", "", 1, 1214, "", {}, "Operating System: Windows 95", 1, {}},
        ReleaseRow{"m1998_both_switches", "/VERBOSE /MAJOR", 1, 1998, "", {}, "Operating System: Windows 98 ", 2, {}},
        ReleaseRow{"m2000", "", 1, 2000, "", {}, "Operating System: Windows 98", 2, {}},
        ReleaseRow{ "m2222", "", 1, 2222, "", {}, "Operating System: Windows 98 Second Edition ", 3, {}},
        ReleaseRow{ "m3000", "", 1, 3000, "", {}, "Operating System: Windows Millenium Edition", 4, {}},
        ReleaseRow{"m1381_terminals_ignored", "/TERMINALS", 2, 1381, "", kBothMarkers, "Operating System: Windows NT 4.0 ", 5, {}},
        ReleaseRow{"m2195_terminals_ignored", "/TERMINALS /VERBOSE /MAJOR", 2, 2195, "Service Pack 1", kBothMarkers, "Operating System: Windows 2000 Service Pack 1", 6, {}},
        ReleaseRow{"m2600", "", 2, 2600, "Service Pack 2", {}, "Operating System: Windows XP Service Pack 2", 7, {}},
        ReleaseRow{"s2003", "/ALL", 2, 3790, "", {}, std::string(kOs) + "Server 2003 ", 8, {}, 5, 2, 3},
        ReleaseRow{"s2008_controller", "/ALL", 2, 6001, "", {}, std::string(kOs) + "Server 2008 ", 9, {}, 6, 0, 2},
        ReleaseRow{"w7", "/ALL", 2, 7601, "Service Pack 1", {}, std::string(kOs) + "7 Service Pack 1", 10, {}, 6, 1, 1},
        ReleaseRow{"s2012", "/ALL", 2, 9200, "", {}, std::string(kOs) + "Server 2012 ", 11, {}, 6, 2, 3},
        ReleaseRow{"w81", "/ALL", 2, 9600, "", {}, std::string(kOs) + "8.1 ", 12, {}, 6, 3, 1},
        ReleaseRow{"s2019_20347", "/ALL", 2, 20347, "", {}, std::string(kOs) + "Server 2019 ", 13, {}, 10, 0, 3}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Unknown, ReleaseTest,
    ::testing::Values(
        ReleaseRow{"platform0_known_build", "/VERBOSE", 0, 950, "", {}, std::nullopt, 0, {}},
        ReleaseRow{"platform3", "", 3, 2600, "", {}, std::nullopt, 0, {}},
        ReleaseRow{"build952", "/VERBOSE", 1, 952, "", {}, std::nullopt, 0, {}},
        ReleaseRow{ "build3790", "/VERBOSE /TERMINALS", 2, 3790, "", kBothMarkers, std::nullopt, 0, {}},
        ReleaseRow{"build6000", "", 2, 6000, "", {}, std::nullopt, 0, {}},
        ReleaseRow{"nt_build_on_9x", "/VERBOSE /TERMINALS", 1, 1381, "", kBothMarkers, std::nullopt, 0, {}},
        ReleaseRow{"9x_build_on_nt", "", 2, 2222, "", {}, std::nullopt, 0, {}},
        ReleaseRow{"product_type_0", "/VERBOSE /ALL", 2, 22631, "", {}, std::nullopt, 0, {}, 10, 0, 0},
        ReleaseRow{"product_type_4", "/VERBOSE /ALL", 2, 22631, "", {}, std::nullopt, 0, {}, 10, 0, 4},
        ReleaseRow{"longer_query_refused", "/ALL", 2, 22631, "", {}, std::nullopt, 0, {}, 10, 0},
        ReleaseRow{"nt6_4", "/VERBOSE /ALL", 2, 9841, "", {}, std::nullopt, 0, {}, 6, 4, 1},
        ReleaseRow{"nt3_51", "/VERBOSE /ALL", 2, 1057, "", {}, std::nullopt, 0, {}, 3, 51, 1},
        ReleaseRow{"w11_without_all", "/VERBOSE", 2, 22631, "", {}, std::nullopt, 0, {}, 10, 0, 1}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

}  // namespace
}  // namespace zepho::testing
