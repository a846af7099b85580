// Counts the hand-overs to standard output in every mode, for each kind of
// output, through the test fakes, and compares them with the rule: one per
// line on a console, ceil(bytes / 128) into a file or a pipe.
#include <cstdio>
#include <string>

#include "run_harness.h"

namespace {

using zepho::FileKind;
using zepho::testing::World;

struct Mode {
  const char* name;
  const char* commandLine;
};

}  // namespace

int main() {
  const Mode modes[] = {{"help", "zepho /HELP"},
                        {"major", "zepho"},
                        {"verbose", "zepho /VERBOSE"},
                        {"terminals", "zepho /VERBOSE /TERMINALS"},
                        {"quiet", "zepho /VERBOSE /QUIET"}};
  const std::pair<const char*, FileKind> kinds[] = {
      {"console", FileKind::Char}, {"file", FileKind::Disk}, {"pipe", FileKind::Pipe}};
  int mismatches = 0;
  for (const Mode& mode : modes) {
    for (const auto& [kindName, kind] : kinds) {
      World world;
      world.process.line = mode.commandLine;
      world.version.fill = zepho::testing::record(2, 5, 0, 2195, "Service Pack 4");
      world.environment.values["SESSIONNAME"] = "RDP-Tcp#7";
      world.output.outKind = kind;
      world.run();
      const size_t bytes = world.output.out.size();
      size_t lines = 0;
      for (size_t at = world.output.out.find("\r\n"); at != std::string::npos;
           at = world.output.out.find("\r\n", at + 2)) {
        ++lines;
      }
      const size_t expected = kind == FileKind::Char ? lines : (bytes + 127) / 128;
      const size_t actual = world.output.handOvers.size();
      mismatches += actual != expected;
      std::printf("hand-overs (fakes) %s %s: %zu for %zu bytes in %zu lines (rule %zu)%s\n",
                  mode.name, kindName, actual, bytes, lines, expected,
                  actual == expected ? "" : " MISMATCH");
    }
  }
  return mismatches == 0 ? 0 : 1;
}
