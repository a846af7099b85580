// The help screen.
#pragma once

#include "frame.h"

namespace zepho {

// Writes the 39 lines of the help screen; false once a line failed.
bool printHelp(Frame& frame);

}  // namespace zepho
