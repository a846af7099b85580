// Telling a terminal session from an ordinary one.
#pragma once

#include <cstdint>

#include "options/run_options.h"
#include "platform/environment_source.h"

namespace zepho {

// Whether the zero-terminated variable `name` is set to a non-empty value.
// A value too long for the 250-byte lookup buffer is set and non-empty.
bool hasEnvironmentValue(EnvironmentSource& environment, const char* name);

// True when /TERMINALS was given and the marker variable of the build
// (WINSTATIONNAME for 1381, SESSIONNAME for 2195) is non-empty. The
// environment is read only when /TERMINALS was given.
bool isTerminalSession(EnvironmentSource& environment, const RunOptions& options,
                       uint16_t buildNumber);

}  // namespace zepho
