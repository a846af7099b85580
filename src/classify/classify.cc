#include "classify/classify.h"

#include "classify/release_tables.h"
#include "classify/terminal_session.h"
#include "options/switches.h"

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
  const uint8_t kind = longer.answered() ? laterKind(longer.productType()) : 0;
  if (kind == 0) return release;
  const LaterRow* row =
      findLaterRelease(report.majorVersion, report.minorVersion, kind, report.buildNumber);
  const char** parts = release.parts;
  parts[0] = kWindowsWord;
  parts[kCsdPart] = report.csdText.c_str();
  if (row != nullptr) {
    release.status = verbose ? row->verboseStatus : row->majorStatus;
    parts[1] = laterName(*row);
    parts[2] = " ";
  } else if (isNewerNt(report.majorVersion)) {
    release.status = kStatusNewerNt;
    parts[1] = "NT ";
    parts[2] = report.majorText.c_str();
    parts[3] = ".";
    parts[4] = report.minorText.c_str();
    parts[5] = " ";
  }
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
  release.parts[0] = kWindowsWord;
  release.parts[1] = row->name;
  // Only the NT releases carry a service-pack text on their line.
  if (row->platformId == kPlatformWin32Nt) release.parts[kCsdPart] = report.csdText.c_str();
  if (terminal != nullptr) release.parts[kSuffixPart] = terminal->suffix;
  return release;
}

// Out of line it is 40 bytes smaller: inlined into the entry point, whose frame is
// large, each of its locals takes a 32-bit offset.
[[gnu::noinline]] bool writeReleaseLine(Frame& frame, const Release& release) {
  const char* const* p = release.parts;
  return frame.writeLine(
      {kReleaseLead, p[0], p[1], p[2], p[3], p[4], p[5], p[kCsdPart], p[kSuffixPart]});
}

}  // namespace zepho
