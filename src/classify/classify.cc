#include "classify/classify.h"

#include "classify/release_tables.h"
#include "classify/terminal_session.h"
#include "options/switches.h"

namespace zepho {
namespace {

// An NT release after XP, under /ALL: a row of the later table, or an NT
// newer than all of them, which is named by its version numbers.
uint32_t classifyLater(Frame& frame, VersionSource& version, const RunOptions& options,
                       const VersionReport& report, bool verbose) {
  if (report.platformId != kPlatformWin32Nt ||
      !mayBeLater(report.majorVersion, report.minorVersion)) {
    return kStatusUnknownRelease;
  }
  const uint8_t kind = laterKind(queryProductType(version));
  if (kind == 0) return kStatusUnknownRelease;
  const LaterRow* row =
      findLaterRelease(report.majorVersion, report.minorVersion, kind, report.buildNumber);
  if (row == nullptr && !isNewerNt(report.majorVersion)) return kStatusUnknownRelease;
  if (!options.quiet) {
    const char* csd = report.csdText.c_str();
    const bool written = row != nullptr
                             ? frame.writeLine({kReleasePrefix, laterName(*row), " ", csd})
                             : frame.writeLine({kReleasePrefix, "NT ", report.majorText.c_str(),
                                                ".", report.minorText.c_str(), " ", csd});
    if (!written) return kStatusOutputFailure;
  }
  if (row == nullptr) return kStatusNewerNt;
  return verbose ? row->verboseStatus : row->majorStatus;
}

}  // namespace

uint32_t classifyRelease(Frame& frame, EnvironmentSource& environment, VersionSource& version,
                         const RunOptions& options, const VersionReport& report) {
  const bool verbose = useVerboseTable(options);
  const ReleaseRow* row =
      findRelease(verbose ? verboseTable() : majorTable(), report.platformId, report.buildNumber);
  if (row == nullptr) {
    return options.allReleases ? classifyLater(frame, version, options, report, verbose)
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
