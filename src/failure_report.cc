#include "failure_report.h"

namespace zepho {
namespace {

struct MessageRow {
  uint32_t code;
  std::string_view message;
};

constexpr MessageRow kMessages[] = {
    {2, "File not found"},          {3, "Invalid filename"},          {4, "Too many open files"},
    {5, "File access denied"},      {100, "Read beyond end of file"}, {101, "Disk full"},
    {106, "Invalid numeric input"},
};

}  // namespace

FixedText<24> failureMessage(uint32_t code) {
  FixedText<24> text;
  for (const MessageRow& row : kMessages) {
    if (row.code == code) return text.append(row.message);
  }
  return text.append("I/O error ").append(toDecimal(code).view());
}

ReportLine composeFailureReport(uint32_t code, uint32_t place, std::string_view module) {
  const FixedText<24> message = failureMessage(code);
  ReportLine line;
  line.append("Exception EInOutError in module ")
      .append(module)
      .append(" at ")
      .append(toHex8(place).view())
      .append(".\n")
      .append(message.view());
  if (!message.view().ends_with('.')) line.append(".");
  return line;
}

std::string_view baseName(std::string_view path) {
  const size_t cut = path.find_last_of("\\/:");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

}  // namespace zepho
