#include "version/version_report.h"

namespace zepho {
namespace {

bool isBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

}  // namespace

VersionReport makeReport(const VersionRecord& record) {
  VersionReport report;
  report.platformId = record.platformId;
  report.majorVersion = record.majorVersion;
  report.minorVersion = record.minorVersion;
  report.buildNumber = static_cast<uint16_t>(record.buildNumber & 0xFFFF);
  report.platformText = toDecimal(record.platformId);
  report.majorText = toDecimal(record.majorVersion);
  report.minorText = toDecimal(record.minorVersion);
  report.buildText = toDecimal(report.buildNumber);

  // The service-pack text ends at its first zero byte, or after all 128
  // bytes when there is none; blanks and control bytes at either end go.
  const char* begin = record.csdVersion;
  const char* end = begin;
  while (end != record.csdVersion + sizeof record.csdVersion && *end != '\0') ++end;
  while (begin != end && isBlankOrControl(*begin)) ++begin;
  while (end != begin && isBlankOrControl(end[-1])) --end;
  report.csdText.append(begin, static_cast<size_t>(end - begin));
  return report;
}

VersionReport queryVersion(VersionSource& source) {
  VersionRecord record{};
  record.size = sizeof record;
  source.query(record);
  return makeReport(record);
}

bool LongerRecord::available() {
  if (asked_) return answered_;
  asked_ = true;
  VersionRecordEx record{};
  record.base.size = sizeof record;
  answered_ = source_.queryEx(record);
  if (answered_) {
    productType_ = record.productType;
    servicePackMajor_ = record.servicePackMajor;
  }
  return answered_;
}

}  // namespace zepho
