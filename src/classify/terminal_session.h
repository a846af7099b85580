// Telling a terminal session from an ordinary one.
#pragma once

#include <cstdint>

#include "classify/release_tables.h"
#include "options/run_options.h"
#include "platform/environment_source.h"

namespace zepho {

// Whether the zero-terminated variable `name` is set to a non-empty value.
// A value too long for the 250-byte lookup buffer is set and non-empty.
bool hasEnvironmentValue(EnvironmentSource& environment, const char* name);

// The terminal-session variant of the build when /TERMINALS was given and
// the build's marker variable is non-empty; otherwise nullptr. Without
// /TERMINALS, and for builds that have no variant, nothing is read.
const TerminalRow* findTerminalSession(EnvironmentSource& environment, const RunOptions& options,
                                       uint16_t buildNumber);

}  // namespace zepho
