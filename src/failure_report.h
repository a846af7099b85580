// The one-line report of an output failure.
#pragma once

#include <cstdint>

#include "text.h"

namespace zepho {

// Long enough for any file name the platform hands out (at most 260 bytes)
// and any message.
using ReportLine = FixedText<384>;

// "Exception EInOutError in module <module> at <place>." LF "<message>."
// with the message for the code, or "I/O error <code>" where there is none.
ReportLine composeFailureReport(uint32_t code, uint32_t place, const char* module);

// The file name from a full path: what follows the last '\', '/' or ':'.
const char* baseName(const char* path);

}  // namespace zepho
