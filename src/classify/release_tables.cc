#include "classify/release_tables.h"

namespace zepho {
namespace {

constexpr uint8_t k95 = kPlatformWin32Windows;
constexpr uint8_t kNt = kPlatformWin32Nt;

// Statuses follow the list on the help screen, not the order of the builds.
constexpr ReleaseRow kVerbose[] = {
    {950, k95, 1, "95 final OEM/Retail"},
    {951, k95, 2, "95a OSR1 final Update"},
    {971, k95, 5, "95B OSR 2.1 final OEM"},
    {1111, k95, 3, "95B OSR 2.0 final OEM"},
    {1212, k95, 4, "95B OSR 2.1 final Update"},
    {1214, k95, 6, "95C OSR 2.5 final OEM"},
    {1998, k95, 7, "98 final retail/OEM"},
    {2000, k95, 8, "98 SP1 final Update"},
    {2222, k95, 9, "98 Second Edition final retail/OEM"},
    {3000, k95, 10, "Millenium Edition"},
    {1381, kNt, 11, "NT 4.0 "},
    {2195, kNt, 12, "2000 "},
    {2600, kNt, 15, "XP "},
};

// Trailing blanks differ from row to row and are kept as they are.
constexpr ReleaseRow kMajor[] = {
    {950, k95, 1, "95 "},
    {951, k95, 1, "95"},
    {971, k95, 1, "95"},
    {1111, k95, 1, "95"},
    {1212, k95, 1, "95"},
    {1214, k95, 1, "95"},
    {1998, k95, 2, "98 "},
    {2000, k95, 2, "98"},
    {2222, k95, 3, "98 Second Edition "},
    {3000, k95, 4, "Millenium Edition"},
    {1381, kNt, 5, "NT 4.0 "},
    {2195, kNt, 6, "2000 "},
    {2600, kNt, 7, "XP "},
};

constexpr TerminalRow kTerminal[] = {
    {1381, 13, "WINSTATIONNAME", " Terminal Server Edition"},
    {2195, 14, "SESSIONNAME", " Terminal Services Session"},
};

}  // namespace

std::span<const ReleaseRow> verboseTable() {
  return kVerbose;
}
std::span<const ReleaseRow> majorTable() {
  return kMajor;
}
std::span<const TerminalRow> terminalTable() {
  return kTerminal;
}

const ReleaseRow* findRelease(std::span<const ReleaseRow> table, uint32_t platformId,
                              uint16_t buildNumber) {
  for (const ReleaseRow& row : table) {
    if (row.platformId == platformId && row.buildNumber == buildNumber) return &row;
  }
  return nullptr;
}

}  // namespace zepho
