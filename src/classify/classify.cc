#include "classify/classify.h"

#include "classify/release_tables.h"
#include "classify/terminal_session.h"
#include "options/switches.h"

namespace zepho {

uint32_t classifyRelease(Frame& frame, EnvironmentSource& environment, const RunOptions& options,
                         const VersionReport& report) {
  const bool verbose = useVerboseTable(options);
  const ReleaseRow* row =
      findRelease(verbose ? verboseTable() : majorTable(), report.platformId, report.buildNumber);
  if (row == nullptr) return kStatusUnknownRelease;

  const TerminalRow* terminal =
      verbose ? findTerminalSession(environment, options, report.buildNumber) : nullptr;
  // Only the NT releases carry a service-pack text on their line.
  const char* csd = row->platformId == kPlatformWin32Nt ? report.csdText.c_str() : "";
  const char* suffix = terminal != nullptr ? terminal->suffix : "";
  if (!options.quiet && !frame.writeLine({kReleasePrefix, row->name, csd, suffix})) {
    return kStatusOutputFailure;
  }
  return terminal != nullptr ? terminal->status : row->status;
}

}  // namespace zepho
