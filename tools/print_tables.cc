// Prints the program's release tables, one row a line, for the packaging,
// which makes the manual's status tables from them. Tab-separated:
//   verbose|major  status  platform id  build  name
//   terminal       status  2            build  marker  suffix
//   all            verbose status  major status  version  kind  builds  name
// where an "all" version of "above 10.0" stands for every later one.
#include <cstdio>
#include <span>

#include "classify/release_tables.h"

int main() {
  const struct {
    const char* mode;
    std::span<const zepho::ReleaseRow> rows;
  } tables[] = {{"verbose", zepho::verboseTable()}, {"major", zepho::majorTable()}};
  for (const auto& table : tables) {
    for (const zepho::ReleaseRow& row : table.rows) {
      std::printf("%s\t%u\t%u\t%u\t%s\n", table.mode, unsigned{row.status},
                  unsigned{row.platformId}, unsigned{row.buildNumber}, row.name);
    }
  }
  for (const zepho::TerminalRow& row : zepho::terminalTable()) {
    std::printf("terminal\t%u\t%u\t%u\t%s\t%s\n", unsigned{row.status},
                unsigned{zepho::kPlatformWin32Nt}, unsigned{row.buildNumber}, row.marker,
                row.suffix);
  }
  const char* kinds[] = {"", "workstation", "server", "either"};
  for (const zepho::LaterRow& row : zepho::laterTable()) {
    char version[16] = "above 10.0";
    if (row.majorVersion != zepho::kAboveTen) {
      std::snprintf(version, sizeof version, "%u.%u", unsigned{row.majorVersion},
                    unsigned{row.minorVersion});
    }
    std::printf("all\t%u\t%u\t%s\t%s\t%u-%u\t%s\n", unsigned{row.verboseStatus},
                unsigned{row.majorStatus}, version, kinds[row.kinds], unsigned{row.firstBuild},
                unsigned{row.lastBuild}, row.name);
  }
  return 0;
}
