#include "classify/release_tables.h"

namespace zepho {
namespace {

constexpr uint32_t k95 = kPlatformWin32Windows;
constexpr uint32_t kNt = kPlatformWin32Nt;

// Statuses follow the list on the help screen, not the order of the builds.
constexpr ReleaseRow kVerbose[] = {
    {k95, 950, "Operating System: Windows 95 final OEM/Retail", false, 1, {}, 0},
    {k95, 951, "Operating System: Windows 95a OSR1 final Update", false, 2, {}, 0},
    {k95, 971, "Operating System: Windows 95B OSR 2.1 final OEM", false, 5, {}, 0},
    {k95, 1111, "Operating System: Windows 95B OSR 2.0 final OEM", false, 3, {}, 0},
    {k95, 1212, "Operating System: Windows 95B OSR 2.1 final Update", false, 4, {}, 0},
    {k95, 1214, "Operating System: Windows 95C OSR 2.5 final OEM", false, 6, {}, 0},
    {k95, 1998, "Operating System: Windows 98 final retail/OEM", false, 7, {}, 0},
    {k95, 2000, "Operating System: Windows 98 SP1 final Update", false, 8, {}, 0},
    {k95, 2222, "Operating System: Windows 98 Second Edition final retail/OEM", false, 9, {}, 0},
    {k95, 3000, "Operating System: Windows Millenium Edition", false, 10, {}, 0},
    {kNt, 1381, "Operating System: Windows NT 4.0 ", true, 11, " Terminal Server Edition", 13},
    {kNt, 2195, "Operating System: Windows 2000 ", true, 12, " Terminal Services Session", 14},
    {kNt, 2600, "Operating System: Windows XP ", true, 15, {}, 0},
};

// Trailing blanks differ from row to row and are kept as they are.
constexpr ReleaseRow kMajor[] = {
    {k95, 950, "Operating System: Windows 95 ", false, 1, {}, 0},
    {k95, 951, "Operating System: Windows 95", false, 1, {}, 0},
    {k95, 971, "Operating System: Windows 95", false, 1, {}, 0},
    {k95, 1111, "Operating System: Windows 95", false, 1, {}, 0},
    {k95, 1212, "Operating System: Windows 95", false, 1, {}, 0},
    {k95, 1214, "Operating System: Windows 95", false, 1, {}, 0},
    {k95, 1998, "Operating System: Windows 98 ", false, 2, {}, 0},
    {k95, 2000, "Operating System: Windows 98", false, 2, {}, 0},
    {k95, 2222, "Operating System: Windows 98 Second Edition ", false, 3, {}, 0},
    {k95, 3000, "Operating System: Windows Millenium Edition", false, 4, {}, 0},
    {kNt, 1381, "Operating System: Windows NT 4.0 ", true, 5, {}, 0},
    {kNt, 2195, "Operating System: Windows 2000 ", true, 6, {}, 0},
    {kNt, 2600, "Operating System: Windows XP ", true, 7, {}, 0},
};

}  // namespace

std::span<const ReleaseRow> verboseTable() {
  return kVerbose;
}
std::span<const ReleaseRow> majorTable() {
  return kMajor;
}

const ReleaseRow* findRelease(std::span<const ReleaseRow> table, uint32_t platformId,
                              uint16_t buildNumber) {
  for (const ReleaseRow& row : table) {
    if (row.platformId == platformId && row.buildNumber == buildNumber) return &row;
  }
  return nullptr;
}

}  // namespace zepho
