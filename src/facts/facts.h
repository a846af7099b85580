// The facts that /SET prints for a batch file to load.
#pragma once

#include "classify/release.h"
#include "platform/platform.h"
#include "version/version_report.h"

namespace zepho {

class Frame;

// Writes "SET ZEPHO_NAME=value" for every fact, always all of them and in
// the same order, the run's status first (an empty value clears what an
// earlier run left); false once a line failed. Windows 95, 98 and ME are
// asked for nothing beyond the version record; NT for the longer record,
// its bitness and its processor, and from 6.0 on for the values of the
// CurrentVersion key and for the key Windows PE makes. Whatever is missing
// or fails there leaves its value empty.
bool printFacts(Frame& frame, Platform& platform, LongerRecord& longer, const VersionReport& report,
                const Release& release);

}  // namespace zepho
