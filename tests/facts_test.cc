// /SET: every fact on each kind of system, values that could run or break
// something, and each run-time lookup failing on its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "run_harness.h"

namespace zepho::testing {
namespace {

// The facts, as batch files name them.
const char* const kNames[] = {"STATUS",  "RELEASE", "PLATFORM", "MAJOR", "MINOR",
                              "BUILD",   "CSD",     "SP",       "KIND",  "BITS",
                              "EDITION", "INSTALL", "FEATURE",  "UBR"};

std::string setLines(const std::vector<std::string>& values) {
  std::string text;
  for (size_t i = 0; i < values.size(); ++i)
    text += "SET ZEPHO_" + std::string(kNames[i]) + "=" + values[i] + "\r\n";
  return text;
}

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

struct SetRow {
  const char* name;
  const char* line;
  VersionRecord record;
  std::optional<uint8_t> productType;
  uint16_t servicePack;
  bool wow64;
  Values values;
  std::vector<std::string> expected;
};

// clang-format off
const SetRow kRows[] = {
    {"95", "zepho /SET /VERBOSE", record(1, 4, 0, 950), 1, 0, true, kEleven,
     {"1", "Windows 95 final OEM/Retail", "1", "4", "0", "950", "", "", "", "32", "", "", "", ""}},
    {"98se", "zepho /SET /VERBOSE", record(1, 4, 10, 0x040A08AE, " A "), 1, 0, true, kEleven,
     {"9", "Windows 98 Second Edition final retail/OEM", "1", "4", "10", "2222", "A", "", "", "32", "", "", "", ""}},
    {"nt4_terminal", "zepho /VERBOSE /TERMINALS /SET", record(2, 4, 0, 1381, "Service Pack 6a"), 1, 6, false, kEleven,
     {"13", "Windows NT 4.0 Terminal Server Edition", "2", "4", "0", "1381", "Service Pack 6a", "6", "WORKSTATION", "32", "", "", "", ""}},
    {"nt4_refused", "zepho /set", record(2, 4, 0, 1381, "Service Pack 5"), std::nullopt, 5, false, kEleven,
     {"5", "Windows NT 4.0", "2", "4", "0", "1381", "Service Pack 5", "", "", "32", "", "", "", ""}},
    {"2000", "zepho /SET /VERBOSE", record(2, 5, 0, 2195, "Service Pack 4"), 3, 4, false, kEleven,
     {"12", "Windows 2000", "2", "5", "0", "2195", "Service Pack 4", "4", "SERVER", "32", "", "", "", ""}},
    {"xp", "zepho /SET", record(2, 5, 1, 2600, "Service Pack 3"), 1, 3, false, kEleven,
     {"7", "Windows XP", "2", "5", "1", "2600", "Service Pack 3", "3", "WORKSTATION", "32", "", "", "", ""}},
    {"2022_dc", "zepho /SET /VERBOSE /ALL", record(2, 10, 0, 20348), 2, 0, true, kServer,
     {"29", "Windows Server 2022", "2", "10", "0", "20348", "", "0", "DC", "64", "ServerStandard", "Server Core", "2009", "2340"}},
    {"11_64", "zepho /SET /ALL", record(2, 10, 0, 26100), 1, 0, true, kEleven,
     {"14", "Windows 11", "2", "10", "0", "26100", "", "0", "WORKSTATION", "64", "Professional", "Client", "24H2", "2589"}},
    {"newer_server", "zepho /SET /ALL", record(2, 10, 0, 30000), 3, 0, false, kServer,
     {"255", "Windows NT 10.0", "2", "10", "0", "30000", "", "0", "SERVER", "32", "ServerStandard", "Server Core", "2009", "2340"}},
};
// clang-format on

void PrintTo(const SetRow& row, std::ostream* out) {
  *out << row.name;
}

class SetLines : public ::testing::TestWithParam<SetRow> {};

// Windows 95 to ME are asked for the version record alone, and the
// registry is read only from NT 6.0 on.
TEST_P(SetLines, EveryFact) {
  const SetRow& row = GetParam();
  World world;
  world.process.line = row.line;
  world.version.fill = row.record;
  world.version.productType = row.productType;
  world.version.servicePackMajor = row.servicePack;
  world.environment.values = {{"WINSTATIONNAME", "RDP-Tcp#7"}};
  world.registry.wow64 = row.wow64;
  world.registry.values = row.values;
  EXPECT_EQ(world.run(), std::stoul(row.expected[0]));
  EXPECT_EQ(world.output.out, setLines(row.expected));
  const bool nt = row.record.platformId == 2;
  EXPECT_EQ(world.version.sizesSeen.size(), nt ? 2u : 1u);
  EXPECT_EQ(world.lookup.calls.empty(), !nt);
  const bool registryRead = world.registry.log != nullptr && !world.lookup.calls.empty() &&
                            world.lookup.calls.back() == "RegCloseKey";
  EXPECT_EQ(registryRead, nt && row.record.majorVersion >= 6);
}

INSTANTIATE_TEST_SUITE_P(Systems, SetLines, ::testing::ValuesIn(kRows),
                         [](const auto& row) { return std::string(row.param.name); });

// A registry value may hold anything: on the line it can only be text.
TEST(SetLines, ValuesRunNothing) {
  const struct {
    FakeRegistry::Value edition;
    std::string expected;
  } rows[] = {
      {{1, std::string("a\"%!^&|<>()=;,?*\t\r\n\x01\x7F\x80\xFF b", 25)},
       "a______________________ b"},
      {{1, std::string(300, 'x')}, std::string(63, 'x')},
      {{1, "  Server   Standard  " + std::string(62, 'y')},
       "Server Standard " + std::string(47, 'y')},
      {{1, std::string("Pro\0Evil", 8)}, "Pro"},
      {{1, ""}, ""},
      {{4, std::string("\1\0\0\0", 4)}, ""},
      {{1, std::string(513, 'x')}, ""},
  };
  for (const auto& row : rows) {
    World world;
    world.process.line = "zepho /SET";
    world.version.fill = record(2, 6, 1, 7601);
    world.version.productType = 1;
    world.registry.values = {{"EditionID", row.edition}, {"UBR", {1, "42"}}};
    world.run();
    EXPECT_NE(world.output.out.find("\r\nSET ZEPHO_EDITION=" + row.expected + "\r\n"),
              std::string::npos)
        << world.output.out;
    EXPECT_NE(world.output.out.find("\r\nSET ZEPHO_UBR=\r\n"),
              std::string::npos);  // a text where a number belongs
  }
}

// A function that is not there, or a call that fails, empties only its own facts.
TEST(SetLines, EachLookupFailingOnItsOwn) {
  const struct {
    const char* missing;
    bool openFails;
    std::optional<bool> wow64;
    const char* bits;
    const char* edition;
  } rows[] = {
      {"KERNEL32.DLL!IsWow64Process", false, true, "32", "Professional"},
      {"", false, std::nullopt, "32", "Professional"},
      {"ADVAPI32.DLL", false, true, "64", ""},
      {"ADVAPI32.DLL!RegOpenKeyExA", false, true, "64", ""},
      {"ADVAPI32.DLL!RegQueryValueExA", false, true, "64", ""},
      {"ADVAPI32.DLL!RegCloseKey", false, true, "64", ""},
      {"", true, true, "64", ""},
  };
  for (const auto& row : rows) {
    World world;
    world.process.line = "zepho /SET /ALL";
    world.version.fill = record(2, 10, 0, 26100);
    world.version.productType = 1;
    world.lookup.missing = {row.missing};
    world.registry.openFails = row.openFails;
    world.registry.wow64 = row.wow64;
    world.registry.values = kEleven;
    EXPECT_EQ(world.run(), 14u) << row.missing;
    const std::string& out = world.output.out;
    EXPECT_NE(out.find(std::string("\r\nSET ZEPHO_BITS=") + row.bits + "\r\n"), std::string::npos)
        << row.missing;
    EXPECT_NE(out.find(std::string("\r\nSET ZEPHO_EDITION=") + row.edition + "\r\n"),
              std::string::npos)
        << row.missing;
    if (*row.missing == 'A') {  // no key is opened without all three functions
      EXPECT_EQ(std::count(world.lookup.calls.begin(), world.lookup.calls.end(), "RegCloseKey"), 0);
    }
  }
}

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
  EXPECT_NE(help.output.out.find("\r\nERRORLEVEL 255, 255 = Windows NT newer than those below\r\n"
                                 "ERRORLEVEL 31, 14 = Windows Server 2025\r\n"),
            std::string::npos);
  EXPECT_TRUE(
      help.output.out.ends_with("\r\nERRORLEVEL 16, 8 = Windows XP Professional x64 Edition\r\n"));
}

}  // namespace
}  // namespace zepho::testing
