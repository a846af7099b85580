// The NT releases after XP that /ALL names, as the screens that list them
// read them: in the order of their rows, each with its statuses and name.
#pragma once

#include <cstdint>
#include <span>

namespace zepho {

// Every release's name begins with this.
inline constexpr char kWindowsPrefix[] = "Windows ";

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

// The rows, in the order of their statuses.
std::span<const LaterRow> laterTable();

// The name of a row of laterTable(); a blank and the service-pack text
// follow it.
const char* laterName(const LaterRow& row);

}  // namespace zepho
