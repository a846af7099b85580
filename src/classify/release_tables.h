// The releases the program knows, keyed by platform id and build number.
#pragma once

#include <cstdint>
#include <span>

namespace zepho {

inline constexpr uint8_t kPlatformWin32Windows = 1;  // the Windows 95 family
inline constexpr uint8_t kPlatformWin32Nt = 2;

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

std::span<const ReleaseRow> verboseTable();
std::span<const ReleaseRow> majorTable();
std::span<const TerminalRow> terminalTable();

// The row for the key, or nullptr.
const ReleaseRow* findRelease(std::span<const ReleaseRow> table, uint32_t platformId,
                              uint16_t buildNumber);

}  // namespace zepho
