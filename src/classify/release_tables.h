// The releases the program knows, keyed by platform id and build number.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace zepho {

inline constexpr uint32_t kPlatformWin32Windows = 1;  // the Windows 95 family
inline constexpr uint32_t kPlatformWin32Nt = 2;

struct ReleaseRow {
  uint32_t platformId;
  uint16_t buildNumber;
  std::string_view line;  // the release line, or its start when appendCsd
  bool appendCsd;         // the service-pack text follows the line
  uint32_t status;
  // The terminal-session variant, where there is one: its suffix and status.
  std::string_view terminalSuffix;
  uint32_t terminalStatus;
};

std::span<const ReleaseRow> verboseTable();
std::span<const ReleaseRow> majorTable();

// The row for the key, or nullptr.
const ReleaseRow* findRelease(std::span<const ReleaseRow> table, uint32_t platformId,
                              uint16_t buildNumber);

}  // namespace zepho
