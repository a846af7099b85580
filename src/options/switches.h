// Reading the switches from the arguments, and the default mode.
#pragma once

#include "options/run_options.h"

namespace zepho {

// Reads every argument after the program name in the command-line text; a
// switch matches, ignoring case, when the argument begins with it.
// Arguments that match no switch are ignored.
RunOptions parseSwitches(const char* commandLine);

// Major mode unless /VERBOSE was given; /MAJOR wins over /VERBOSE.
void settleMode(RunOptions& options);

}  // namespace zepho
