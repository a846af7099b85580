#include "classify/classify.h"

#include "classify/release_tables.h"
#include "classify/terminal_session.h"
#include "options/switches.h"

namespace zepho {
namespace {

// An NT release after XP, under /ALL.
uint32_t classifyLater(Frame& frame, const RunOptions& options, const VersionReport& report,
                       bool verbose) {
  if (report.platformId != kPlatformWin32Nt) return kStatusUnknownRelease;
  const LaterRow* row = findLaterRelease(report.majorVersion, report.minorVersion,
                                         report.productType, report.buildNumber);
  if (row == nullptr) return kStatusUnknownRelease;
  if (!options.quiet) {
    const char* csd = report.csdText.c_str();
    const bool written = row->majorVersion == kAboveTen
                             ? frame.writeLine({kReleasePrefix, row->name, report.majorText.c_str(),
                                                ".", report.minorText.c_str(), " ", csd})
                             : frame.writeLine({kReleasePrefix, row->name, csd});
    if (!written) return kStatusOutputFailure;
  }
  return verbose ? row->verboseStatus : row->majorStatus;
}

}  // namespace

uint32_t classifyRelease(Frame& frame, EnvironmentSource& environment, const RunOptions& options,
                         const VersionReport& report) {
  const bool verbose = useVerboseTable(options);
  const ReleaseRow* row =
      findRelease(verbose ? verboseTable() : majorTable(), report.platformId, report.buildNumber);
  if (row == nullptr) {
    return options.allReleases ? classifyLater(frame, options, report, verbose)
                               : kStatusUnknownRelease;
  }

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
