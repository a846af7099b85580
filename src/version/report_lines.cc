#include "version/report_lines.h"

#include "frame.h"

namespace zepho {

// Out of line, ZEPHO.EXE is 72 bytes smaller: inlined into the entry point,
// whose frame is large, each access to a local takes a 32-bit offset.
[[gnu::noinline]] bool printReport(Frame& frame, const VersionReport& report) {
  struct Line {
    const char* label;
    const char* text;
  };
  const Line lines[] = {
      {" ", ""},
      {"Platform        : ", report.platformText.c_str()},
      {"Major Version   : ", report.majorText.c_str()},
      {"Minor Version   : ", report.minorText.c_str()},
      {"Build           : ", report.buildText.c_str()},
      {"CSD Version     : ", report.csdText.c_str()},
      {" ", ""},
  };
  for (const Line& line : lines) {
    if (!frame.writeLine({line.label, line.text})) return false;
  }
  return true;
}

}  // namespace zepho
