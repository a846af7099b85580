// Naming the release and choosing the exit status.
#pragma once

#include <cstdint>

#include "frame.h"
#include "options/run_options.h"
#include "platform/environment_source.h"
#include "version/version_report.h"

namespace zepho {

inline constexpr uint32_t kStatusUnknownRelease = 0;

// A release as its line names it, in parts, a null one left out: the first
// kNameParts name it ("Windows ", the name in pieces, a terminal session's
// suffix last); on its line the service-pack text (NT only) comes before
// that suffix.
inline constexpr int kNameParts = 7;
inline constexpr int kSuffixPart = 6;
inline constexpr int kCsdPart = 7;
struct Release {
  uint32_t status = kStatusUnknownRelease;  // 0: no release, and no line
  const char* parts[kCsdPart + 1] = {};
};

// Looks the release up in the table of the mode and, under /ALL when that
// has no row, among the NT releases after XP, asking `longer` for the
// product type only then. The status is kStatusNewerNt for an NT newer
// than every row, 0 when nothing matches.
Release classifyRelease(EnvironmentSource& environment, LongerRecord& longer,
                        const RunOptions& options, const VersionReport& report);

// Writes the release line of a status other than 0; false once it failed.
bool writeReleaseLine(Frame& frame, const Release& release);

}  // namespace zepho
