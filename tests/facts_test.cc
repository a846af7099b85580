// /SET: every fact on each kind of system, registry values that could run
// or break something, and each run-time lookup failing on its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>

#include "classify/later_list.h"
#include "run_harness.h"

namespace zepho::testing {
namespace {

using Values = std::map<std::string, FakeSystem::Value>;
const Values kEleven = {{"EditionID", {1, "Professional"}},
                        {"InstallationType", {1, "Client"}},
                        {"DisplayVersion", {1, "24H2"}},
                        {"ReleaseId", {1, "2009"}},
                        {"UBR", {4, std::string("\x1D\x0A\0\0", 4)}}};
const Values kServer = {{"EditionID", {1, "ServerStandard"}},
                        {"InstallationType", {1, "Server Core"}},
                        {"ReleaseId", {1, "2009"}},
                        {"UBR", {4, std::string("\x24\x09\0\0", 4)}}};

// The lines for values joined by '|', in the order batch files get them.
std::string setLines(const std::string& joined) {
  const char* names[] = {"STATUS",  "RELEASE", "PLATFORM", "MAJOR", "MINOR",   "BUILD",
                         "CSD",     "SP",      "KIND",     "BITS",  "EDITION", "INSTALL",
                         "FEATURE", "UBR",     "ARCH",     "PE"};
  std::istringstream values(joined);
  std::string text;
  std::string value;
  for (const char* name : names) {
    std::getline(values, value, '|');
    text += "SET ZEPHO_" + std::string(name) + "=" + value + "\r\n";
  }
  return text + "SET ZEPHO_VERSION=9.8.7\r\n";  // the world's build
}

Values edition(uint32_t type, std::string value) {
  return {{"EditionID", {type, std::move(value)}},
          {"UBR", {1, "42"}}};  // a text where a number belongs
}

struct SetRow {
  const char* name;
  const char* line;
  VersionRecord record;
  std::optional<uint8_t> productType;
  uint16_t servicePack;
  std::optional<bool> wow64;
  Values values;
  const char* expected;      // the values joined by '|'
  const char* missing = "";  // comma-separated
  bool openFails = false;
  std::optional<uint16_t> machine = 0x014C;  // IsWow64Process2's
  uint16_t architecture = 0;                 // GetNativeSystemInfo's
  bool miniNt = false;
  bool program64 = false;
};

void PrintTo(const SetRow& row, std::ostream* out) {
  *out << row.name;
}

// clang-format off
const VersionRecord k7 = record(2, 6, 1, 7601);
const SetRow kRows[] = {
    {"95", "zepho /SET /VERBOSE", record(1, 4, 0, 950), 1, 0, true, kEleven,
     "1|Windows 95 final OEM/Retail|1|4|0|950||||32|||||x86|"},
    {"98se", "zepho /SET /VERBOSE", record(1, 4, 10, 0x040A08AE, " A "), 1, 0, true, kEleven,
     "9|Windows 98 Second Edition final retail/OEM|1|4|10|2222|A|||32|||||x86|"},
    {"nt4_terminal", "zepho /VERBOSE /TERMINALS /SET", record(2, 4, 0, 1381, "Service Pack 6a"), 1, 6, false, kEleven,
     "13|Windows NT 4.0 Terminal Server Edition|2|4|0|1381|Service Pack 6a|6|WORKSTATION|32|||||x86|"},
    {"nt4_refused", "zepho /set", record(2, 4, 0, 1381, "Service Pack 5"), std::nullopt, 5, false, kEleven,
     "5|Windows NT 4.0|2|4|0|1381|Service Pack 5|||32|||||x86|"},
    {"2000", "zepho /SET /VERBOSE", record(2, 5, 0, 2195, "Service Pack 4"), 3, 4, false, kEleven,
     "12|Windows 2000|2|5|0|2195|Service Pack 4|4|SERVER|32|||||x86|"},
    {"xp", "zepho /SET", record(2, 5, 1, 2600, "Service Pack 3"), 1, 3, false, kEleven,
     "7|Windows XP|2|5|1|2600|Service Pack 3|3|WORKSTATION|32|||||x86|"},
    {"2022_dc", "zepho /SET /VERBOSE /ALL", record(2, 10, 0, 20348), 2, 0, true, kServer,
     "29|Windows Server 2022|2|10|0|20348||0|DC|64|ServerStandard|Server Core|2009|2340|x86|"},
    {"11_64", "zepho /SET /ALL", record(2, 10, 0, 26100), 1, 0, true, kEleven,
     "14|Windows 11|2|10|0|26100||0|WORKSTATION|64|Professional|Client|24H2|2589|x86|"},
    {"newer_server", "zepho /SET /ALL", record(2, 10, 0, 30000), 3, 0, false, kServer,
     "255|Windows NT 10.0|2|10|0|30000||0|SERVER|32|ServerStandard|Server Core|2009|2340|x86|"},
    // Whatever the registry holds, a value is only safe text of at most 63 bytes.
    {"unsafe_bytes", "zepho /SET", k7, 1, 0, false, edition(1, std::string("a\"%!^&|<>()=;,?*:\t\r\n\x01\x7F\x80\xFF b", 26)),
     "0||2|6|1|7601||0|WORKSTATION|32|a_______________________ b||||x86|"},
    {"300_bytes", "zepho /SET", k7, 1, 0, false, edition(1, std::string(300, 'x')),
     "0||2|6|1|7601||0|WORKSTATION|32|xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx||||x86|"},
    {"blanks", "zepho /SET", k7, 1, 0, false, edition(1, "  Server   Standard  "),
     "0||2|6|1|7601||0|WORKSTATION|32|Server Standard||||x86|"},
    {"zero_inside", "zepho /SET", k7, 1, 0, false, edition(1, std::string("Pro\0Evil", 8)),
     "0||2|6|1|7601||0|WORKSTATION|32|Pro||||x86|"},
    {"empty", "zepho /SET", k7, 1, 0, false, edition(1, ""), "0||2|6|1|7601||0|WORKSTATION|32|||||x86|"},
    {"number_for_text", "zepho /SET", k7, 1, 0, false, edition(4, std::string("\1\0\0\0", 4)),
     "0||2|6|1|7601||0|WORKSTATION|32|||||x86|"},
    {"longer_than_read", "zepho /SET", k7, 1, 0, false, edition(1, std::string(513, 'x')),
     "0||2|6|1|7601||0|WORKSTATION|32|||||x86|"},
    // A function that is not there, or a call that fails, empties only its own facts.
    {"no_iswow64", "zepho /SET", k7, 1, 0, true, kEleven,
     "0||2|6|1|7601||0|WORKSTATION|32|Professional|Client|24H2|2589|x86|", "KERNEL32.DLL!IsWow64Process"},
    {"iswow64_fails", "zepho /SET", k7, 1, 0, std::nullopt, kEleven,
     "0||2|6|1|7601||0|WORKSTATION||Professional|Client|24H2|2589|x86|"},
    {"no_advapi32", "zepho /SET", k7, 1, 0, true, kEleven, "0||2|6|1|7601||0|WORKSTATION|64|||||x86|", "ADVAPI32.DLL"},
    {"no_open", "zepho /SET", k7, 1, 0, true, kEleven, "0||2|6|1|7601||0|WORKSTATION|64|||||x86|",
     "ADVAPI32.DLL!RegOpenKeyExA"},
    {"no_query", "zepho /SET", k7, 1, 0, true, kEleven, "0||2|6|1|7601||0|WORKSTATION|64|||||x86|",
     "ADVAPI32.DLL!RegQueryValueExA"},
    {"no_close", "zepho /SET", k7, 1, 0, true, kEleven, "0||2|6|1|7601||0|WORKSTATION|64|||||x86|",
     "ADVAPI32.DLL!RegCloseKey"},
    {"open_fails", "zepho /SET", k7, 1, 0, true, kEleven, "0||2|6|1|7601||0|WORKSTATION|64|||||x86|", "", true},
    // A value is cut at 63 bytes, and a blank there is not kept; UBR is only a number of four bytes.
    {"blank_at_cut", "zepho /SET", k7, 1, 0, false, edition(1, std::string(62, 'x') + " yz"),
     "0||2|6|1|7601||0|WORKSTATION|32|xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx||||x86|"},
    {"ubr_text_of_four", "zepho /SET", k7, 1, 0, false, {{"UBR", {1, "123"}}}, "0||2|6|1|7601||0|WORKSTATION|32|||||x86|"},
    {"ubr_eight_bytes", "zepho /SET", k7, 1, 0, false, {{"UBR", {4, std::string("\1\0\0\0\0\0\0\0", 8)}}},
     "0||2|6|1|7601||0|WORKSTATION|32|||||x86|"},
    // The processor, from IsWow64Process2, else GetNativeSystemInfo, else x86; Windows PE's key.
    {"arm64_pe", "zepho /SET /ALL", record(2, 10, 0, 26100), 1, 0, true, kEleven,
     "14|Windows 11|2|10|0|26100||0|WORKSTATION|64|Professional|Client|24H2|2589|ARM64|1", "", false, 0xAA64, 9, true},
    {"x64_build", "zepho /SET", k7, 1, 0, false, kEleven,
     "0||2|6|1|7601||0|WORKSTATION|64|Professional|Client|24H2|2589|x64|", "", false, 0x8664, 0, false, true},
    {"machine_fails", "zepho /SET", k7, 1, 0, false, kEleven,
     "0||2|6|1|7601||0|WORKSTATION|32|Professional|Client|24H2|2589||", "", false, std::nullopt},
    {"machine_unnamed", "zepho /SET", k7, 1, 0, false, kEleven,
     "0||2|6|1|7601||0|WORKSTATION|32|Professional|Client|24H2|2589||", "", false, 0x0200},
    {"native_info_only", "zepho /SET", k7, 1, 0, true, kEleven,
     "0||2|6|1|7601||0|WORKSTATION|64|Professional|Client|24H2|2589|x64|", "KERNEL32.DLL!IsWow64Process2", false, 0x014C, 9},
    {"neither", "zepho /SET", record(2, 5, 2, 3790), 3, 0, true, kEleven, "0||2|5|2|3790||0|SERVER|64|||||x86|",
     "KERNEL32.DLL!IsWow64Process2,KERNEL32.DLL!GetNativeSystemInfo", false, 0x8664, 9, true},
    {"pe_open_fails", "zepho /SET", k7, 1, 0, false, kEleven, "0||2|6|1|7601||0|WORKSTATION|32|||||x86|", "", true, 0x014C, 0, true},
    {"pe_not_asked_9x", "zepho /SET", record(1, 4, 90, 3000), 1, 0, false, kEleven,
     "4|Windows Millenium Edition|1|4|90|3000||||32|||||x86|", "", false, 0x014C, 0, true},
    {"pe_not_asked_nt5", "zepho /SET", record(2, 5, 1, 2600), 1, 0, false, kEleven,
     "7|Windows XP|2|5|1|2600||0|WORKSTATION|32|||||x86|", "", false, 0x014C, 0, true},
};
// clang-format on

class SetLines : public ::testing::TestWithParam<SetRow> {};

// Windows 95 to ME are asked for the version record alone; the registry is
// read only from NT 6.0 on, and only once every function it needs is there.
TEST_P(SetLines, EveryFact) {
  const SetRow& row = GetParam();
  World world;
  world.process.line = row.line;
  world.version.fill = row.record;
  world.version.productType = row.productType;
  world.version.servicePackMajor = row.servicePack;
  world.environment.values = {{"WINSTATIONNAME", "RDP-Tcp#7"}};
  std::istringstream missing(row.missing);
  for (std::string name; std::getline(missing, name, ',');) world.system.missing.insert(name);
  world.system.machine = row.machine;
  world.system.architecture = row.architecture;
  world.system.miniNt = row.miniNt;
  world.system.program64 = row.program64;
  world.system.openFails = row.openFails;
  world.system.wow64 = row.wow64;
  world.system.values = row.values;
  const std::string expected = setLines(row.expected);
  EXPECT_EQ(world.run(), std::stoul(expected.substr(expected.find('=') + 1)));
  EXPECT_EQ(world.output.out, expected);
  const bool nt = row.record.platformId == 2;
  EXPECT_EQ(world.version.sizesSeen.size(), nt ? 2u : 1u);
  EXPECT_EQ(world.system.calls.empty(), !nt);
  const bool opened =
      std::find_if(world.system.calls.begin(), world.system.calls.end(), [](const auto& call) {
        return call.starts_with("RegOpenKeyExA");
      }) != world.system.calls.end();
  const auto& calls = world.system.calls;
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "GetProcAddress IsWow64Process"),
            nt && !row.program64 ? 1 : 0);
  EXPECT_EQ(opened,
            nt && row.record.majorVersion >= 6 && std::string(row.missing).find("ADVAPI") != 0);
}

INSTANTIATE_TEST_SUITE_P(Systems, SetLines, ::testing::ValuesIn(kRows),
                         [](const auto& row) { return std::string(row.param.name); });

// /QUIET prints nothing and looks nothing up; /HELP wins, and with /ALL
// goes on to zepho's own switches and statuses.
TEST(SetLines, QuietAndHelp) {
  World quiet;
  quiet.process.line = "zepho /SET /QUIET /ALL";
  quiet.version.fill = record(2, 10, 0, 26100);
  quiet.version.productType = 1;
  EXPECT_EQ(quiet.run(), 14u);
  EXPECT_TRUE(quiet.output.calls.empty() && quiet.system.calls.empty());
  World help;
  help.process.line = "zepho /SET /HELP /ALL";
  EXPECT_EQ(help.run(), 0u);
  EXPECT_EQ(help.output.out.find("SET ZEPHO_"), std::string::npos);
  // The table's rows from the newest, after the rule above them.
  std::string rows;
  for (const LaterRow& row : laterTable()) {
    rows = "ERRORLEVEL " + std::to_string(row.verboseStatus) + ", " +
           std::to_string(row.majorStatus) + " = Windows " + laterName(row) + "\r\n" + rows;
  }
  EXPECT_TRUE(
      help.output.out.ends_with("/VERSION - this zepho's version, program and processor\r\n"
                                "With /ALL (VERBOSE, MAJOR):\r\n"
                                "ERRORLEVEL 255, 255 = Windows NT newer than any below\r\n" +
                                rows));
}

}  // namespace
}  // namespace zepho::testing
