// Naming the release and choosing its status.
#pragma once

#include "classify/release.h"
#include "options/run_options.h"
#include "platform/environment_source.h"
#include "version/version_report.h"

namespace zepho {

// Looks the release up in the table of the mode and, under /ALL when that
// has no row, among the NT releases after XP, asking `longer` for the
// product type only then. The status is kStatusNewerNt for an NT newer
// than every row, 0 when nothing matches.
Release classifyRelease(EnvironmentSource& environment, LongerRecord& longer,
                        const RunOptions& options, const VersionReport& report);

}  // namespace zepho
