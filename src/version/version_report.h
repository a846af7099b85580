// The version record as the program reports and classifies it.
#pragma once

#include <cstdint>

#include "platform/version_source.h"
#include "text.h"

namespace zepho {

struct VersionReport {
  uint32_t platformId = 0;
  uint32_t majorVersion = 0;
  uint32_t minorVersion = 0;
  uint16_t buildNumber = 0;  // the low 16 bits of the record's build number
  DecimalText platformText;
  DecimalText majorText;
  DecimalText minorText;
  DecimalText buildText;
  FixedText<sizeof VersionRecord::csdVersion> csdText;  // trimmed of blanks and control bytes
};

// Builds the report from a filled record.
VersionReport makeReport(const VersionRecord& record);

// Queries the source once, from a zeroed record with its size set.
VersionReport queryVersion(VersionSource& source);

// The longer version record, asked for once, when first needed.
class LongerRecord {
 public:
  explicit LongerRecord(VersionSource& source) : source_(source) {}

  // Whether Windows gives the longer record (NT 4.0 SP6 and later do);
  // asks the first time.
  bool available();
  // What it answered, once asked: 1 workstation, 2 domain controller,
  // 3 server; 0 when refused.
  uint8_t productType() const { return productType_; }
  uint16_t servicePackMajor() const { return servicePackMajor_; }

 private:
  VersionSource& source_;
  bool asked_ = false;
  bool answered_ = false;
  uint8_t productType_ = 0;
  uint16_t servicePackMajor_ = 0;
};

}  // namespace zepho
