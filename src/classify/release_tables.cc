#include "classify/release_tables.h"

#include <array>
#include <string_view>

#include "classify/later_checks.h"
#include "text.h"

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
constexpr uint16_t kAnyBuild = 0xFFFF;

// A release named later takes the next status above every one ever given
// (CHANGELOG.md keeps them all), never one that was given to anything
// else; kStatusNewerNt stays above them all. Builds that no row of
// a version from 10.0 on names count as newer than every row.
constexpr LaterSource kLaterSource[] = {
    {5, 2, kWs, 16, 8, 0, kAnyBuild, "XP Professional x64 Edition"},
    {5, 2, kServer, 17, 8, 0, kAnyBuild, "Server 2003"},
    {6, 0, kWs, 18, 9, 0, kAnyBuild, "Vista"},
    {6, 0, kServer, 19, 9, 0, kAnyBuild, "Server 2008"},
    {6, 1, kWs, 20, 10, 0, kAnyBuild, "7"},
    {6, 1, kServer, 21, 10, 0, kAnyBuild, "Server 2008 R2"},
    {6, 2, kWs, 22, 11, 0, kAnyBuild, "8"},
    {6, 2, kServer, 23, 11, 0, kAnyBuild, "Server 2012"},
    {6, 3, kWs, 24, 12, 0, kAnyBuild, "8.1"},
    {6, 3, kServer, 25, 12, 0, kAnyBuild, "Server 2012 R2"},
    {10, 0, kWs, 26, 13, 0, 21999, "10"},
    {10, 0, kServer, 27, 13, 0, 17762, "Server 2016"},
    {10, 0, kServer, 28, 13, 17763, 20347, "Server 2019"},
    {10, 0, kServer, 29, 13, 20348, 26099, "Server 2022"},
    {10, 0, kWs, 30, 14, 22000, 28999, "11"},
    {10, 0, kServer, 31, 14, 26100, 26100, "Server 2025"},
};

consteval size_t laterNameBytes() {
  size_t bytes = 0;
  for (const LaterSource& row : kLaterSource) bytes += row.name.size() + 1;
  return bytes;
}

struct LaterTable {
  std::array<LaterRow, std::size(kLaterSource)> rows;
  std::array<char, laterNameBytes()> names;  // zero-terminated, in the order of the rows
};
static_assert(sizeof(LaterRow) == 8, "a packed later row takes eight bytes");

consteval LaterTable packLater() {
  LaterTable table{};
  size_t offset = 0;
  for (size_t i = 0; i < table.rows.size(); ++i) {
    const LaterSource& row = kLaterSource[i];
    table.rows[i] = {static_cast<uint8_t>(row.majorVersion << 4 | row.minorVersion),
                     row.kind,
                     row.verboseStatus,
                     row.majorStatus,
                     row.firstBuild,
                     row.lastBuild};
    for (const char c : row.name) table.names[offset++] = c;
    table.names[offset++] = '\0';
  }
  return table;
}

consteval uint8_t highestStatus(std::span<const ReleaseRow> table,
                                std::span<const TerminalRow> terminals) {
  uint8_t highest = 0;
  for (const ReleaseRow& row : table) highest = row.status > highest ? row.status : highest;
  for (const TerminalRow& row : terminals) highest = row.status > highest ? row.status : highest;
  return highest;
}

static_assert(versionsInOrder(kLaterSource), "later rows go by version, major and minor up to 15");
static_assert(rangesClosed(kLaterSource), "a later row's first build is at most its last");
static_assert(rangesApart(kLaterSource), "later rows of one version and kind do not overlap");
static_assert(tenRunsFromZero(kLaterSource, kWorkstation) && tenRunsFromZero(kLaterSource, kServer),
              "the 10.0 rows of each kind run from build 0 without a gap");
static_assert(statusesRise(kLaterSource), "later rows' verbose statuses rise row by row");
static_assert(
    verboseStatusesFree(kLaterSource, highestStatus(kVerbose, kTerminal)),
    "each later row has a verbose status of its own, above the verbose table's, below 255");
static_assert(
    majorStatusesRise(kLaterSource, highestStatus(kMajor, {})),
    "later major statuses lie above the major table's and below 255, and never fall as the "
    "verbose ones rise");

constexpr LaterTable kLater = packLater();

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
  return kLater.rows;
}

const char* laterName(const LaterRow& row) {
  const char* name = kLater.names.data();
  for (auto skipped = &row - kLater.rows.data(); skipped > 0; --skipped) name = nextText(name);
  return name;
}

const ReleaseRow* findRelease(std::span<const ReleaseRow> table, uint32_t platformId,
                              uint16_t buildNumber) {
  for (const ReleaseRow& row : table) {
    if (row.platformId == platformId && row.buildNumber == buildNumber) return &row;
  }
  return nullptr;
}

uint8_t laterKind(uint8_t productType) {
  if (productType == 1) return kWorkstation;
  if (productType == 2 || productType == 3) return kServer;
  return 0;
}

namespace {

// The version as a row keeps it, or a value no row has.
uint32_t packedVersion(uint32_t majorVersion, uint32_t minorVersion) {
  return majorVersion < 16 && minorVersion < 16 ? majorVersion << 4 | minorVersion : 0x100;
}

}  // namespace

bool mayBeLater(uint32_t majorVersion, uint32_t minorVersion) {
  constexpr LaterSource kFirst = kLaterSource[0];
  return majorVersion > kFirst.majorVersion ||
         (majorVersion == kFirst.majorVersion && minorVersion >= kFirst.minorVersion);
}

const LaterRow* findLaterRelease(uint32_t majorVersion, uint32_t minorVersion, uint8_t kind,
                                 uint16_t buildNumber) {
  const uint32_t version = packedVersion(majorVersion, minorVersion);
  for (const LaterRow& row : kLater.rows) {
    if (row.version == version && row.kind == kind && buildNumber >= row.firstBuild &&
        buildNumber <= row.lastBuild) {
      return &row;
    }
  }
  return nullptr;
}

}  // namespace zepho
