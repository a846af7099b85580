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

  const bool terminal = verbose && !row->terminalSuffix.empty() &&
                        isTerminalSession(environment, options, report.buildNumber);
  const std::string_view csd = row->appendCsd ? report.csdText.view() : std::string_view{};
  const std::string_view suffix = terminal ? row->terminalSuffix : std::string_view{};
  if (!options.quiet && !frame.writeLine(row->line, csd, suffix)) return kStatusOutputFailure;
  return terminal ? row->terminalStatus : row->status;
}

}  // namespace zepho
