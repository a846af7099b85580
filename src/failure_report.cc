#include "failure_report.h"

namespace zepho {
namespace {

struct MessageRow {
  uint8_t code;
  const char* message;
};

constexpr MessageRow kMessages[] = {
    {2, "File not found"},          {3, "Invalid filename"},          {4, "Too many open files"},
    {5, "File access denied"},      {100, "Read beyond end of file"}, {101, "Disk full"},
    {106, "Invalid numeric input"},
};

}  // namespace

ReportLine composeFailureReport(uint32_t code, uint32_t place, const char* module) {
  ReportLine line;
  line.append("Exception EInOutError in module ")
      .append(module)
      .append(" at ")
      .append(toHex8(place).c_str())
      .append(".\n");
  const size_t messageStart = line.size();
  for (const MessageRow& row : kMessages) {
    if (row.code == code) line.append(row.message);
  }
  if (line.size() == messageStart) line.append("I/O error ").append(toDecimal(code).c_str());
  // A full stop ends the message unless it has one already.
  if (line.c_str()[line.size() - 1] != '.') line.append(".");
  return line;
}

const char* baseName(const char* path) {
  const char* name = path;
  for (; *path != '\0'; ++path) {
    if (*path == '\\' || *path == '/' || *path == ':') name = path + 1;
  }
  return name;
}

}  // namespace zepho
