// The seven lines that report the version record.
#pragma once

#include "version/version_report.h"

namespace zepho {

class Frame;

// Writes the seven report lines; false once a line failed.
bool printReport(Frame& frame, const VersionReport& report);

}  // namespace zepho
