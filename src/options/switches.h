// Reading the switches from the arguments, and the default mode.
#pragma once

#include "command_line.h"
#include "options/run_options.h"

namespace zepho {

// Reads every argument; a switch matches, ignoring case, when the argument
// begins with it. Arguments that match no switch are ignored.
RunOptions parseSwitches(ArgumentReader& arguments);

// Major mode unless /VERBOSE was given; /MAJOR wins over /VERBOSE.
void settleMode(RunOptions& options);

// Whether the verbose table applies.
inline bool useVerboseTable(const RunOptions& options) {
  return options.verboseMode && !options.majorMode;
}

}  // namespace zepho
