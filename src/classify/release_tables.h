// The releases the program knows, keyed by platform id and build number.
#pragma once

#include <cstdint>
#include <span>

#include "classify/later_list.h"
#include "platform/version_source.h"

namespace zepho {

// Every release line begins with this, and the release's name after it with
// kWindowsPrefix.
inline constexpr char kReleaseLinePrefix[] = "Operating System: ";

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

std::span<const ReleaseRow> verboseTable();
std::span<const ReleaseRow> majorTable();
std::span<const TerminalRow> terminalTable();

// The row for the key, or nullptr.
const ReleaseRow* findRelease(std::span<const ReleaseRow> table, uint32_t platformId,
                              uint16_t buildNumber);

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
