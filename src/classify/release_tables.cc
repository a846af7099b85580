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

constexpr uint8_t kWs = kWorkstation;
constexpr uint8_t kEither = kWorkstation | kServer;

// The statuses grow with the release, above all of the tables before, so
// that IF ERRORLEVEL 16 (or 8 in major mode) means "newer than XP".
constexpr LaterRow kLater[] = {
    {5, 2, kWs, 16, 8, 0, 0xFFFF, "XP Professional x64 Edition "},
    {5, 2, kServer, 17, 8, 0, 0xFFFF, "Server 2003 "},
    {6, 0, kWs, 18, 9, 0, 0xFFFF, "Vista "},
    {6, 0, kServer, 19, 9, 0, 0xFFFF, "Server 2008 "},
    {6, 1, kWs, 20, 10, 0, 0xFFFF, "7 "},
    {6, 1, kServer, 21, 10, 0, 0xFFFF, "Server 2008 R2 "},
    {6, 2, kWs, 22, 11, 0, 0xFFFF, "8 "},
    {6, 2, kServer, 23, 11, 0, 0xFFFF, "Server 2012 "},
    {6, 3, kWs, 24, 12, 0, 0xFFFF, "8.1 "},
    {6, 3, kServer, 25, 12, 0, 0xFFFF, "Server 2012 R2 "},
    {10, 0, kWs, 26, 13, 0, 21999, "10 "},
    {10, 0, kServer, 27, 13, 0, 17762, "Server 2016 "},
    {10, 0, kServer, 28, 13, 17763, 20347, "Server 2019 "},
    {10, 0, kServer, 29, 13, 20348, 26099, "Server 2022 "},
    {10, 0, kWs, 30, 14, 22000, 0xFFFF, "11 "},
    {10, 0, kServer, 31, 14, 26100, 0xFFFF, "Server 2025 "},
    {kAboveTen, 0, kEither, 32, 15, 0, 0xFFFF, "NT "},
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
std::span<const LaterRow> laterTable() {
  return kLater;
}

const ReleaseRow* findRelease(std::span<const ReleaseRow> table, uint32_t platformId,
                              uint16_t buildNumber) {
  for (const ReleaseRow& row : table) {
    if (row.platformId == platformId && row.buildNumber == buildNumber) return &row;
  }
  return nullptr;
}

const LaterRow* findLaterRelease(uint32_t majorVersion, uint32_t minorVersion, uint8_t productType,
                                 uint16_t buildNumber) {
  const uint8_t kind = productType == 1                       ? kWorkstation
                       : productType == 2 || productType == 3 ? kServer
                                                              : 0;
  const bool aboveTen = majorVersion > 10 || (majorVersion == 10 && minorVersion != 0);
  for (const LaterRow& row : kLater) {
    const bool version = row.majorVersion == kAboveTen
                             ? aboveTen
                             : row.majorVersion == majorVersion && row.minorVersion == minorVersion;
    if (version && (row.kinds & kind) != 0 && buildNumber >= row.firstBuild &&
        buildNumber <= row.lastBuild) {
      return &row;
    }
  }
  return nullptr;
}

}  // namespace zepho
