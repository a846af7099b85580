#include "version/version_report.h"

#include <string_view>

namespace zepho {
namespace {

bool isBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

// The service-pack text up to its first zero byte (all 128 bytes when there
// is none), without leading and trailing blanks and control bytes.
std::string_view trimmedCsd(const VersionRecord& record) {
  std::string_view text(record.csdVersion, sizeof record.csdVersion);
  const size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);
  while (!text.empty() && isBlankOrControl(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlankOrControl(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

VersionReport makeReport(const VersionRecord& record) {
  VersionReport report;
  report.platformId = record.platformId;
  report.buildNumber = static_cast<uint16_t>(record.buildNumber & 0xFFFF);
  report.platformText = toDecimal(record.platformId);
  report.majorText = toDecimal(record.majorVersion);
  report.minorText = toDecimal(record.minorVersion);
  report.buildText = toDecimal(report.buildNumber);
  report.csdText.append(trimmedCsd(record));
  return report;
}

VersionReport queryVersion(VersionSource& source) {
  VersionRecord record{};
  record.size = sizeof record;
  source.query(record);
  return makeReport(record);
}

bool printReport(Frame& frame, const VersionReport& report, const RunOptions& options) {
  if (options.quiet) return true;
  return frame.writeLine(" ") &&
         frame.writeLine("Platform        : ", report.platformText.view()) &&
         frame.writeLine("Major Version   : ", report.majorText.view()) &&
         frame.writeLine("Minor Version   : ", report.minorText.view()) &&
         frame.writeLine("Build           : ", report.buildText.view()) &&
         frame.writeLine("CSD Version     : ", report.csdText.view()) && frame.writeLine(" ");
}

}  // namespace zepho
