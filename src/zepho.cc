#include "zepho.h"

#include "classify/classify.h"
#include "frame.h"
#include "options/help.h"
#include "options/switches.h"
#include "version/version_report.h"

namespace zepho {
namespace {

// The stages in order; each returns the status the run ends with.
uint32_t decide(Frame& frame, Platform& platform) {
  RunOptions options = parseSwitches(platform.process.commandLine());
  if (options.helpRequested) return printHelp(frame) ? 0 : kStatusOutputFailure;
  settleMode(options);
  const VersionReport report = queryVersion(platform.version);
  if (!printReport(frame, report, options)) return kStatusOutputFailure;
  return classifyRelease(frame, platform.environment, platform.version, options, report);
}

}  // namespace

void run(Platform& platform) {
  Frame frame(platform);
  frame.endProcess(decide(frame, platform));
}

}  // namespace zepho
