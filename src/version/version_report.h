// The version record as the program reports and classifies it.
#pragma once

#include <cstdint>

#include "frame.h"
#include "options/run_options.h"
#include "platform/version_source.h"
#include "text.h"

namespace zepho {

struct VersionReport {
  uint32_t platformId = 0;
  uint32_t majorVersion = 0;
  uint32_t minorVersion = 0;
  uint16_t buildNumber = 0;  // the low 16 bits of the record's build number
  uint8_t productType = 0;   // from the longer record when asked for; 0 when not known
  DecimalText platformText;
  DecimalText majorText;
  DecimalText minorText;
  DecimalText buildText;
  FixedText<sizeof VersionRecord::csdVersion> csdText;  // trimmed of blanks and control bytes
};

// Builds the report from a filled record.
VersionReport makeReport(const VersionRecord& record);

// Queries the source once, from a zeroed record with its size set. With
// `wantProductType`, an NT record of 5.2 or later is queried once more in the
// longer form for its product type; every such release gives it.
VersionReport queryVersion(VersionSource& source, bool wantProductType);

// Writes the seven report lines unless quiet; false once a line failed.
bool printReport(Frame& frame, const VersionReport& report, const RunOptions& options);

}  // namespace zepho
