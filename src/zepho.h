// One whole run of the program, from the command line to the exit status.
#pragma once

#include "platform/platform.h"

namespace zepho {

// Runs the program and ends the process through platform.process.exit.
void run(Platform& platform);

}  // namespace zepho
