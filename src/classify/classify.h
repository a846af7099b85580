// Naming the release and choosing the exit status.
#pragma once

#include <cstdint>

#include "frame.h"
#include "options/run_options.h"
#include "platform/environment_source.h"
#include "platform/version_source.h"
#include "version/version_report.h"

namespace zepho {

inline constexpr uint32_t kStatusUnknownRelease = 0;

// Looks the release up in the table of the mode and, under /ALL when that
// has no row, among the NT releases after XP, asking `version` for the
// product type only then; writes its line unless quiet, and returns the
// row's status: kStatusNewerNt for an NT newer than every row, 0 when
// nothing matches, 1 when the line could not be written.
uint32_t classifyRelease(Frame& frame, EnvironmentSource& environment, VersionSource& version,
                         const RunOptions& options, const VersionReport& report);

}  // namespace zepho
