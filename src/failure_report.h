// The one-line report of an output failure.
#pragma once

#include <cstdint>
#include <string_view>

#include "text.h"

namespace zepho {

// The report line, without its line end. Long enough for any module name
// the platform hands out (at most 260 bytes) and any message.
using ReportLine = FixedText<384>;

// "File not found", ... or "I/O error <code>" for codes without a message.
FixedText<24> failureMessage(uint32_t code);

// "Exception EInOutError in module <module> at <place>." LF "<message>."
ReportLine composeFailureReport(uint32_t code, uint32_t place, std::string_view module);

// The file name from a full path: what follows the last '\', '/' or ':'.
std::string_view baseName(std::string_view path);

}  // namespace zepho
