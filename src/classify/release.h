// A release as its line names it, and its status.
#pragma once

#include <array>
#include <cstdint>

namespace zepho {

inline constexpr uint32_t kStatusUnknownRelease = 0;

// The parts of a release line after "Operating System: ". The parts before
// the service pack name the release, as /SET gives it; the line writes the
// service pack before the session's suffix.
enum ReleasePart {
  kWindowsPart,  // "Windows "
  kNamePart,     // the table's name, or "NT " for an NT newer than every row
  kMajorPart,    // that NT's major version, a dot and its minor version
  kDotPart,
  kMinorPart,
  kBlankPart,        // the blank between a later release's name and its service pack
  kSessionPart,      // a terminal session's suffix
  kServicePackPart,  // the service-pack text, NT only
  kReleaseParts
};

// A release as its line names it, a part it lacks null. The parts point
// into the release tables and into the VersionReport it was named from, so
// a Release lives no longer than that report.
struct Release {
  uint32_t status = kStatusUnknownRelease;  // 0: no release, and no line
  std::array<const char*, kReleaseParts> parts = {};
};

}  // namespace zepho
