#include "zepho.h"

#include "classify/classify.h"
#include "classify/release_line.h"
#include "facts/facts.h"
#include "frame.h"
#include "options/help.h"
#include "options/switches.h"
#include "version/report_lines.h"
#include "version/version_report.h"

namespace zepho {
namespace {

// The stages in order; each returns the status the run ends with.
uint32_t decide(Frame& frame, Platform& platform) {
  RunOptions options = parseSwitches(platform.process.commandLine());
  if (options.helpRequested) return printHelp(frame, options) ? 0 : kStatusOutputFailure;
  if (options.versionRequested) {
    const ProgramBuild& build = platform.build;
    return frame.writeLine({"zepho ", build.version, " ", build.program, " ", build.processor})
               ? 0
               : kStatusOutputFailure;
  }
  settleMode(options);
  const VersionReport report = queryVersion(platform.version);
  LongerRecord longer(platform.version);
  // /SET prints its lines instead of the report and the release line.
  const bool reportLines = !options.quiet && !options.factsAsSetLines;
  if (reportLines && !printReport(frame, report)) return kStatusOutputFailure;
  const Release release = classifyRelease(platform.environment, longer, options, report);
  if (options.quiet) return release.status;
  if (options.factsAsSetLines) {
    frame.reportOnStandardErrorOnly();
    return printFacts(frame, platform, longer, report, release) ? release.status
                                                                : kStatusOutputFailure;
  }
  if (release.status != 0 && !writeReleaseLine(frame, release)) return kStatusOutputFailure;
  return release.status;
}

}  // namespace

void run(Platform& platform) {
  Frame frame(platform);
  frame.endProcess(decide(frame, platform));
}

}  // namespace zepho
