// The release line, "Operating System: " and the release's parts.
#pragma once

#include "classify/release.h"

namespace zepho {

class Frame;

// Writes the release line of a status other than 0; false once it failed.
bool writeReleaseLine(Frame& frame, const Release& release);

}  // namespace zepho
