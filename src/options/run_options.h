// The switches of a run.
#pragma once

namespace zepho {

struct RunOptions {
  bool helpRequested = false;   // /HELP
  bool quiet = false;           // /QUIET
  bool checkTerminals = false;  // /TERMINALS
  bool majorMode = false;       // /MAJOR, or by default
  bool verboseMode = false;     // /VERBOSE
  bool allReleases = false;     // /ALL: also the NT releases after XP
  bool setLines = false;        // /SET: the facts as SET lines, not the report
};

}  // namespace zepho
