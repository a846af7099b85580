// /SET: every fact on each kind of system, registry values that could run
// or break something, and each run-time lookup failing on its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>

#include "run_harness.h"

namespace zepho::testing {
namespace {

using Values = std::map<std::string, FakeRegistry::Value>;
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
  const char* names[] = {"STATUS", "RELEASE", "PLATFORM", "MAJOR",   "MINOR",   "BUILD",   "CSD",
                         "SP",     "KIND",    "BITS",     "EDITION", "INSTALL", "FEATURE", "UBR"};
  std::istringstream values(joined);
  std::string text;
  std::string value;
  for (const char* name : names) {
    std::getline(values, value, '|');
    text += "SET ZEPHO_" + std::string(name) + "=" + value + "\r\n";
  }
  return text;
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
  const char* expected;  // the values joined by '|'
  const char* missing = "";
  bool openFails = false;
};

void PrintTo(const SetRow& row, std::ostream* out) {
  *out << row.name;
}

// clang-format off
const VersionRecord k7 = record(2, 6, 1, 7601);
const SetRow kRows[] = {
    {"95", "zepho /SET /VERBOSE", record(1, 4, 0, 950), 1, 0, true, kEleven,
     "1|Windows 95 final OEM/Retail|1|4|0|950||||32||||"},
    {"98se", "zepho /SET /VERBOSE", record(1, 4, 10, 0x040A08AE, " A "), 1, 0, true, kEleven,
     "9|Windows 98 Second Edition final retail/OEM|1|4|10|2222|A|||32||||"},
    {"nt4_terminal", "zepho /VERBOSE /TERMINALS /SET", record(2, 4, 0, 1381, "Service Pack 6a"), 1, 6, false, kEleven,
     "13|Windows NT 4.0 Terminal Server Edition|2|4|0|1381|Service Pack 6a|6|WORKSTATION|32||||"},
    {"nt4_refused", "zepho /set", record(2, 4, 0, 1381, "Service Pack 5"), std::nullopt, 5, false, kEleven,
     "5|Windows NT 4.0|2|4|0|1381|Service Pack 5|||32||||"},
    {"2000", "zepho /SET /VERBOSE", record(2, 5, 0, 2195, "Service Pack 4"), 3, 4, false, kEleven,
     "12|Windows 2000|2|5|0|2195|Service Pack 4|4|SERVER|32||||"},
    {"xp", "zepho /SET", record(2, 5, 1, 2600, "Service Pack 3"), 1, 3, false, kEleven,
     "7|Windows XP|2|5|1|2600|Service Pack 3|3|WORKSTATION|32||||"},
    {"2022_dc", "zepho /SET /VERBOSE /ALL", record(2, 10, 0, 20348), 2, 0, true, kServer,
     "29|Windows Server 2022|2|10|0|20348||0|DC|64|ServerStandard|Server Core|2009|2340"},
    {"11_64", "zepho /SET /ALL", record(2, 10, 0, 26100), 1, 0, true, kEleven,
     "14|Windows 11|2|10|0|26100||0|WORKSTATION|64|Professional|Client|24H2|2589"},
    {"newer_server", "zepho /SET /ALL", record(2, 10, 0, 30000), 3, 0, false, kServer,
     "255|Windows NT 10.0|2|10|0|30000||0|SERVER|32|ServerStandard|Server Core|2009|2340"},
    // Whatever the registry holds, a value is only safe text of at most 63 bytes.
    {"unsafe_bytes", "zepho /SET", k7, 1, 0, false, edition(1, std::string("a\"%!^&|<>()=;,?*\t\r\n\x01\x7F\x80\xFF b", 25)),
     "0||2|6|1|7601||0|WORKSTATION|32|a______________________ b|||"},
    {"300_bytes", "zepho /SET", k7, 1, 0, false, edition(1, std::string(300, 'x')),
     "0||2|6|1|7601||0|WORKSTATION|32|xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx|||"},
    {"blanks", "zepho /SET", k7, 1, 0, false, edition(1, "  Server   Standard  "),
     "0||2|6|1|7601||0|WORKSTATION|32|Server Standard|||"},
    {"zero_inside", "zepho /SET", k7, 1, 0, false, edition(1, std::string("Pro\0Evil", 8)),
     "0||2|6|1|7601||0|WORKSTATION|32|Pro|||"},
    {"empty", "zepho /SET", k7, 1, 0, false, edition(1, ""), "0||2|6|1|7601||0|WORKSTATION|32||||"},
    {"number_for_text", "zepho /SET", k7, 1, 0, false, edition(4, std::string("\1\0\0\0", 4)),
     "0||2|6|1|7601||0|WORKSTATION|32||||"},
    {"longer_than_read", "zepho /SET", k7, 1, 0, false, edition(1, std::string(513, 'x')),
     "0||2|6|1|7601||0|WORKSTATION|32||||"},
    // A function that is not there, or a call that fails, empties only its own facts.
    {"no_iswow64", "zepho /SET", k7, 1, 0, true, kEleven,
     "0||2|6|1|7601||0|WORKSTATION|32|Professional|Client|24H2|2589", "KERNEL32.DLL!IsWow64Process"},
    {"iswow64_fails", "zepho /SET", k7, 1, 0, std::nullopt, kEleven,
     "0||2|6|1|7601||0|WORKSTATION|32|Professional|Client|24H2|2589"},
    {"no_advapi32", "zepho /SET", k7, 1, 0, true, kEleven, "0||2|6|1|7601||0|WORKSTATION|64||||", "ADVAPI32.DLL"},
    {"no_open", "zepho /SET", k7, 1, 0, true, kEleven, "0||2|6|1|7601||0|WORKSTATION|64||||",
     "ADVAPI32.DLL!RegOpenKeyExA"},
    {"no_query", "zepho /SET", k7, 1, 0, true, kEleven, "0||2|6|1|7601||0|WORKSTATION|64||||",
     "ADVAPI32.DLL!RegQueryValueExA"},
    {"no_close", "zepho /SET", k7, 1, 0, true, kEleven, "0||2|6|1|7601||0|WORKSTATION|64||||",
     "ADVAPI32.DLL!RegCloseKey"},
    {"open_fails", "zepho /SET", k7, 1, 0, true, kEleven, "0||2|6|1|7601||0|WORKSTATION|64||||", "", true},
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
  world.lookup.missing = {row.missing};
  world.registry.openFails = row.openFails;
  world.registry.wow64 = row.wow64;
  world.registry.values = row.values;
  const std::string expected = setLines(row.expected);
  EXPECT_EQ(world.run(), std::stoul(expected.substr(expected.find('=') + 1)));
  EXPECT_EQ(world.output.out, expected);
  const bool nt = row.record.platformId == 2;
  EXPECT_EQ(world.version.sizesSeen.size(), nt ? 2u : 1u);
  EXPECT_EQ(world.lookup.calls.empty(), !nt);
  const bool opened =
      std::find_if(world.lookup.calls.begin(), world.lookup.calls.end(), [](const auto& call) {
        return call.starts_with("RegOpenKeyExA");
      }) != world.lookup.calls.end();
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
  EXPECT_TRUE(quiet.output.calls.empty() && quiet.lookup.calls.empty());
  World help;
  help.process.line = "zepho /SET /HELP /ALL";
  EXPECT_EQ(help.run(), 0u);
  EXPECT_EQ(help.output.out.find("SET ZEPHO_"), std::string::npos);
  EXPECT_NE(help.output.out.find("\r\nERRORLEVEL 255, 255 = Windows NT newer than any below\r\n"
                                 "ERRORLEVEL 31, 14 = Windows Server 2025\r\n"),
            std::string::npos);
  EXPECT_TRUE(
      help.output.out.ends_with("\r\nERRORLEVEL 16, 8 = Windows XP Professional x64 Edition\r\n"));
}

}  // namespace
}  // namespace zepho::testing
