// The releases the program knows, keyed by platform id and build number.
#pragma once

#include <cstdint>
#include <span>

#include "platform/version_source.h"

namespace zepho {

// Every release line begins with this, and the release's name after it with
// "Windows ".
inline constexpr char kReleaseLead[] = "Operating System: ";
inline constexpr char kWindowsWord[] = "Windows ";

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

// An NT release after XP, named under /ALL: a version, workstation or
// server, and a range of builds. Kept to eight bytes, the names in one
// block apart, so that the releases still to come fit in the exe.
struct LaterRow {
  uint8_t version;  // the major version in the high four bits, the minor in the low
  uint8_t kind;     // kWorkstation or kServer
  uint8_t verboseStatus;
  uint8_t majorStatus;
  uint16_t firstBuild;
  uint16_t lastBuild;
};

inline constexpr uint8_t kWorkstation = 1;
inline constexpr uint8_t kServer = 2;

// The status, in both modes, of an NT newer than every release the tables
// name. It stays the highest status for good: a release named later takes
// the next free status below it, so IF ERRORLEVEL n, for the status n of a
// release only a later zepho names, still holds here on that release.
inline constexpr uint8_t kStatusNewerNt = 255;

std::span<const ReleaseRow> verboseTable();
std::span<const ReleaseRow> majorTable();
std::span<const TerminalRow> terminalTable();
std::span<const LaterRow> laterTable();

// The row for the key, or nullptr.
const ReleaseRow* findRelease(std::span<const ReleaseRow> table, uint32_t platformId,
                              uint16_t buildNumber);

// The name of a row of laterTable(); a blank and the service-pack text
// follow it.
const char* laterName(const LaterRow& row);

// The row's major and minor version.
inline uint32_t laterMajor(const LaterRow& row) {
  return uint32_t{row.version} >> 4;
}
inline uint32_t laterMinor(const LaterRow& row) {
  return uint32_t{row.version} & 0x0Fu;
}

// kWorkstation for product type 1, kServer for 2 (a domain controller) and
// 3, 0 for any other.
uint8_t laterKind(uint8_t productType);

// Whether the version is that of the oldest later row or above, so that a
// later row or the newer-NT rule may apply and the kind is worth asking for.
bool mayBeLater(uint32_t majorVersion, uint32_t minorVersion);

// The later row for an NT record of a known kind, or nullptr.
const LaterRow* findLaterRelease(uint32_t majorVersion, uint32_t minorVersion, uint8_t kind,
                                 uint16_t buildNumber);

// Whether an NT version that no later row names is newer than all of them:
// from 10.0 on, Windows keeps its version number and a new release differs
// only in its build, so every 10.0 build beyond the rows, and every version
// above, is newer.
inline bool isNewerNt(uint32_t majorVersion) {
  return majorVersion >= 10;
}

}  // namespace zepho
