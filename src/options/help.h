// The help screen.
#pragma once

#include "options/run_options.h"

namespace zepho {

class Frame;

// Writes the 39 lines of the help screen and, under /ALL, the switches and
// statuses of zepho's own after them; false once a line failed.
bool printHelp(Frame& frame, const RunOptions& options);

}  // namespace zepho
