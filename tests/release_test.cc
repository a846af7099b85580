// Whole runs for every case of tests/data/releases.txt, the hand-written
// expectations, and the check that each /ALL row of the program has them.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "classify/release_tables.h"
#include "run_harness.h"

namespace zepho::testing {
namespace {

struct Case {
  int lineNumber = 0;  // of the line, which may give several builds
  uint32_t platform = 0, major = 0, minor = 0, build = 0;
  std::string csd;
  std::optional<uint8_t> productType;  // none: the longer query is refused
  std::map<std::string, std::string> environment;
  std::vector<std::pair<std::string, uint32_t>> runs;  // switches and the status they give
  std::optional<std::string> line;                     // the release line, where there is one
};

// Made at build time from tests/data/releases.txt, so that editing the file
// rebuilds this test and its list.
std::vector<Case> readCases() {
  return {
#include "release_cases.inc"
  };
}

// Names the line of releases.txt in a failure rather than the case's bytes.
void PrintTo(const Case& c, std::ostream* out) {
  *out << "releases.txt line " << c.lineNumber << ", build " << c.build;
}

World caseWorld(const Case& c, const std::string& switches) {
  World world;
  world.process.line = "zepho " + switches;
  world.version.fill = record(c.platform, c.major, c.minor, c.build, c.csd);
  world.version.productType = c.productType;
  world.environment.values = c.environment;
  return world;
}

class ReleaseCase : public ::testing::TestWithParam<Case> {};

// Each run also goes under /QUIET, which must print nothing and keep the
// status. The longer record is asked for only under /ALL, on NT 5.2 or
// later, where the short one names no release.
TEST_P(ReleaseCase, NamesReleaseAndStatus) {
  const Case& c = GetParam();
  const bool from52 = c.platform == 2 && (c.major > 5 || (c.major == 5 && c.minor >= 2));
  for (const auto& [switches, status] : c.runs) {
    const size_t all = switches.find("/ALL");
    const bool mayAskLonger = all != std::string::npos && from52 &&
                              caseWorld(c, std::string(switches).erase(all, 4)).run() == 0;
    for (const std::string quiet : {"", " /QUIET"}) {
      World world = caseWorld(c, switches + quiet);
      EXPECT_EQ(world.run(), status) << switches << quiet;
      EXPECT_TRUE(mayAskLonger || world.version.sizesSeen == std::vector<uint32_t>{148})
          << switches;
      if (!quiet.empty()) {
        EXPECT_TRUE(world.output.calls.empty()) << switches;  // opens no output at all
        continue;
      }
      const std::string line =
          status != 0 ? crlf({"Operating System: " + c.line.value_or("")}) : "";
      EXPECT_EQ(world.output.out,
                reportLines(std::to_string(c.platform), std::to_string(c.major),
                            std::to_string(c.minor), std::to_string(c.build & 0xFFFF), c.csd) +
                    line)
          << switches;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Releases, ReleaseCase, ::testing::ValuesIn(readCases()),
                         [](const auto& c) {
                           return "line" + std::to_string(c.param.lineNumber) + "_" +
                                  std::to_string(c.param.build);
                         });

// A row of the /ALL table without hand-written cases at its edges cannot land.
TEST(ReleaseCases, EveryLaterRowHasItsEdges) {
  const std::vector<Case> cases = readCases();
  for (const LaterRow& row : laterTable()) {
    std::vector<uint32_t> builds = {row.firstBuild, row.lastBuild};
    bool nextIsARow = row.lastBuild == 0xFFFF;
    for (const LaterRow& other : laterTable()) {
      nextIsARow |= other.version == row.version && other.kind == row.kind &&
                    other.firstBuild == row.lastBuild + 1;
    }
    if (!nextIsARow) builds.push_back(row.lastBuild + 1u);
    for (const uint32_t build : builds) {
      bool found = false;
      for (const Case& c : cases) {
        for (const auto& run : c.runs) {
          found |= run.first.find("/ALL") != std::string::npos && c.platform == 2 &&
                   c.major == laterMajor(row) && c.minor == laterMinor(row) &&
                   (c.build & 0xFFFF) == build && c.productType &&
                   laterKind(*c.productType) == row.kind;
        }
      }
      EXPECT_TRUE(found) << "no case in releases.txt for Windows " << laterName(row) << " at build "
                         << build;
    }
  }
}

// A session marker counts whatever its length, and only the release's own is read.
TEST(TerminalMarker, AnyLengthCounts) {
  for (const size_t length : {249u, 250u, 1000u}) {
    World world;
    world.process.line = "zepho /VERBOSE /TERMINALS";
    world.version.fill = record(2, 5, 0, 2195);
    world.environment.values = {{"SESSIONNAME", std::string(length, 's')}};
    EXPECT_EQ(world.run(), 14u) << length;
    EXPECT_EQ(world.environment.namesRead, std::vector<std::string>{"SESSIONNAME"});
  }
}

}  // namespace
}  // namespace zepho::testing
