#include "classify/classify.h"

#include "classify/release_tables.h"
#include "classify/terminal_session.h"

namespace zepho {
namespace {

// An NT release after XP, under /ALL: a row of the later table, or an NT
// newer than all of them, which is named by its version numbers.
Release classifyLater(LongerRecord& longer, const VersionReport& report, bool verbose) {
  Release release;
  if (report.platformId != kPlatformWin32Nt ||
      !mayBeLater(report.majorVersion, report.minorVersion)) {
    return release;
  }
  const uint8_t kind = longer.available() ? laterKind(longer.productType()) : 0;
  if (kind == 0) return release;
  const LaterRow* row =
      findLaterRelease(report.majorVersion, report.minorVersion, kind, report.buildNumber);
  auto& parts = release.parts;
  parts[kWindowsPart] = kWindowsPrefix;
  parts[kServicePackPart] = report.csdText.c_str();
  if (row != nullptr) {
    release.status = verbose ? row->verboseStatus : row->majorStatus;
    parts[kNamePart] = laterName(*row);
  } else if (isNewerNt(report.majorVersion)) {
    release.status = kStatusNewerNt;
    parts[kNamePart] = "NT ";
    parts[kMajorPart] = report.majorText.c_str();
    parts[kDotPart] = ".";
    parts[kMinorPart] = report.minorText.c_str();
  }
  parts[kBlankPart] = " ";
  return release;
}

}  // namespace

Release classifyRelease(EnvironmentSource& environment, LongerRecord& longer,
                        const RunOptions& options, const VersionReport& report) {
  const bool verbose = useVerboseTable(options);
  const ReleaseRow* row =
      findRelease(verbose ? verboseTable() : majorTable(), report.platformId, report.buildNumber);
  if (row == nullptr) {
    return options.allReleases ? classifyLater(longer, report, verbose) : Release{};
  }
  const TerminalRow* terminal =
      verbose ? findTerminalSession(environment, options, report.buildNumber) : nullptr;
  Release release;
  release.status = terminal != nullptr ? terminal->status : row->status;
  release.parts[kWindowsPart] = kWindowsPrefix;
  release.parts[kNamePart] = row->name;
  // Only the NT releases carry a service-pack text on their line.
  if (row->platformId == kPlatformWin32Nt) release.parts[kServicePackPart] = report.csdText.c_str();
  if (terminal != nullptr) release.parts[kSessionPart] = terminal->suffix;
  return release;
}

}  // namespace zepho
