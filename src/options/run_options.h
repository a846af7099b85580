// The switches of a run.
#pragma once

namespace zepho {

struct RunOptions {
  bool helpRequested = false;     // /HELP
  bool versionRequested = false;  // /VERSION
  bool quiet = false;             // /QUIET
  bool checkTerminals = false;    // /TERMINALS
  bool majorMode = false;         // /MAJOR, or by default
  bool verboseMode = false;       // /VERBOSE
  bool allReleases = false;       // /ALL: also the NT releases after XP
  bool factsAsSetLines = false;   // /SET: the facts as SET lines, not the report
};

// Whether the verbose table applies: /VERBOSE without /MAJOR.
inline bool useVerboseTable(const RunOptions& options) {
  return options.verboseMode && !options.majorMode;
}

}  // namespace zepho
