// The releases the program knows, keyed by platform id and build number.
#pragma once

#include <cstdint>
#include <span>

#include "platform/version_source.h"

namespace zepho {

// Every release line begins with this.
inline constexpr char kReleasePrefix[] = "Operating System: Windows ";

struct ReleaseRow {
  uint16_t buildNumber;
  uint8_t platformId;
  uint8_t status;
  const char* name;  // follows the prefix; the service-pack text follows it on NT
};

// The terminal-session variant of a verbose row.
struct TerminalRow {
  uint16_t buildNumber;
  uint8_t status;
  const char* marker;  // the environment variable that is set in such a session
  const char* suffix;  // follows the service-pack text
};

// An NT release after XP, named under /ALL. It is keyed by major and minor
// version, workstation or server, and a range of build numbers.
struct LaterRow {
  uint8_t majorVersion;  // or kAboveTen
  uint8_t minorVersion;
  uint8_t kinds;  // kWorkstation, kServer, or both
  uint8_t verboseStatus;
  uint8_t majorStatus;
  uint16_t firstBuild;
  uint16_t lastBuild;
  const char* name;  // follows the prefix; the service-pack text follows it
};

inline constexpr uint8_t kWorkstation = 1;
inline constexpr uint8_t kServer = 2;
// The row of this major version stands for every version above 10.0; its
// name is followed by "major.minor " from the record.
inline constexpr uint8_t kAboveTen = 0xFF;

std::span<const ReleaseRow> verboseTable();
std::span<const ReleaseRow> majorTable();
std::span<const TerminalRow> terminalTable();
std::span<const LaterRow> laterTable();

// The row for the key, or nullptr.
const ReleaseRow* findRelease(std::span<const ReleaseRow> table, uint32_t platformId,
                              uint16_t buildNumber);

// The later row for an NT record, or nullptr. Product type 1 is a
// workstation, 2 (a domain controller) and 3 a server; any other matches
// no row.
const LaterRow* findLaterRelease(uint32_t majorVersion, uint32_t minorVersion, uint8_t productType,
                                 uint16_t buildNumber);

}  // namespace zepho
