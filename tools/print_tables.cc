// Prints the program's release tables, one row a line, for
// tools/regenerate.py, which makes the batch files' ladders and the status
// tables of the README and the manual from them. Tab-separated:
//   verbose|major  status  platform id  build  name
//   terminal       status  2            build  marker  suffix
//   all            verbose status  major status  version  kind  builds  name
//   newer          status  the major version it starts at
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
  const char* kinds[] = {"", "workstation", "server"};
  for (const zepho::LaterRow& row : zepho::laterTable()) {
    std::printf("all\t%u\t%u\t%u.%u\t%s\t%u-%u\t%s\n", unsigned{row.verboseStatus},
                unsigned{row.majorStatus}, zepho::laterMajor(row), zepho::laterMinor(row),
                kinds[row.kind], unsigned{row.firstBuild}, unsigned{row.lastBuild},
                zepho::laterName(row));
  }
  unsigned from = 0;
  while (!zepho::isNewerNt(from)) ++from;
  std::printf("newer\t%u\t%u\n", unsigned{zepho::kStatusNewerNt}, from);
  return 0;
}
