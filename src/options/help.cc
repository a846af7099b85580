#include "options/help.h"

#include <cstdint>
#include <span>

#include "classify/later_list.h"
#include "frame.h"
#include "text.h"

namespace zepho {
namespace {

// The screen opens with its usage text; each line ends in a zero byte, and
// trailing blanks are part of the text.
constexpr char kUsageText[] =
    " \0"
    "\0"
    " \0"
    "Usage: ZEPHO [/VERBOSE or /MAJOR] [/HELP] [/QUIET] \0"
    " \0"
    "/VERBOSE - Parameter that lets you detect the operating system to\0"
    "the BUILD level.\0"
    "/MAJOR - Parameter that detects the operating system at the major \0"
    "revision levels only. This is the default setting.\0"
    "/HELP - Optional parameter, displays this help information\0"
    "/QUIET - Optional parameter, suppresses all screen output\0"
    "\0";
constexpr int kUsageLines = 12;

constexpr int countLines(const char (&text)[sizeof kUsageText]) {
  int lines = 0;
  for (size_t i = 0; i + 1 < sizeof text; ++i) lines += text[i] == '\0';
  return lines;
}
static_assert(countLines(kUsageText) == kUsageLines);

// Then a list of the statuses of each mode, from the highest down.
struct Level {
  uint8_t status;
  const char* release;
};

constexpr Level kVerboseLevels[] = {
    {15, "XP"},
    {14, "2000 Terminal Services Session"},
    {13, "NT 4.0 Terminal Server Edition"},
    {12, "2000 "},
    {11, "NT 4.0"},
    {10, "Millenium Edition"},
    {9, "98 Second Edition final retail/OEM"},
    {8, "98 SP1 final Update"},
    {7, "98 final retail/OEM"},
    {6, "95C OSR 2.5 final OEM"},
    {5, "95B OSR 2.1 final OEM"},
    {4, "95B OSR 2.1 final Update"},
    {3, "95B OSR 2.0 final OEM"},
    {2, "95a OSR1 final Update"},
    {1, "95 final OEM/Retail"},
};

constexpr Level kMajorLevels[] = {
    {7, "XP"}, {6, "2000 "}, {5, "NT 4.0"}, {4, "Millenium Edition"}, {3, "98 Second Edition"},
    {2, "98"}, {1, "95"},
};

// The heading of a list, its levels, and the line that follows it.
bool printLevels(Frame& frame, const char* mode, std::span<const Level> levels, bool padNumbers) {
  if (!frame.writeLine(
          {"While in ", mode, " mode the program will return the following ERRORLEVELS"}) ||
      !frame.writeLine({"indicating the operating system."})) {
    return false;
  }
  for (const Level& level : levels) {
    // In the verbose list the numbers line up in a column two wide.
    const char* pad = padNumbers && level.status < 10 ? " " : "";
    if (!frame.writeLine(
            {"ERRORLEVEL ", toDecimal(level.status).c_str(), pad, " = Windows ", level.release})) {
      return false;
    }
  }
  return true;
}

// Writes the lines of `line`, which stand one after another, each ending
// in a zero byte, up to an empty one.
bool printText(Frame& frame, const char* line) {
  while (*line != '\0') {
    if (!frame.writeLine({line})) return false;
    line = nextText(line);
  }
  return true;
}

constexpr char kAllText[] =
    " \0"
    "/ALL - also the NT releases after XP; /SET - facts as SET lines\0"
    "/VERSION - this zepho's version, program and processor\0"
    "With /ALL (VERBOSE, MAJOR):\0"
    "ERRORLEVEL 255, 255 = Windows NT newer than any below\0";

// zepho's own switches and the /ALL statuses from the table, highest first
// (the statuses rise with the rows). Out of line, ZEPHO.EXE is 40 bytes
// smaller: inlined into the entry point, whose frame is large, each access
// to a local takes a 32-bit offset.
[[gnu::noinline]] bool printAll(Frame& frame) {
  if (!printText(frame, kAllText)) return false;
  const std::span<const LaterRow> rows = laterTable();
  for (size_t i = rows.size(); i-- > 0;) {
    const LaterRow& row = rows[i];
    if (!frame.writeLine({"ERRORLEVEL ", toDecimal(row.verboseStatus).c_str(), ", ",
                          toDecimal(row.majorStatus).c_str(), " = ", kWindowsPrefix,
                          laterName(row)})) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool printHelp(Frame& frame, const RunOptions& options) {
  const char* line = kUsageText;
  for (int i = 0; i < kUsageLines; ++i) {
    if (!frame.writeLine({line})) return false;
    line = nextText(line);
  }
  return printLevels(frame, "VERBOSE", kVerboseLevels, true) && frame.writeLine({" "}) &&
         printLevels(frame, "MAJOR", kMajorLevels, false) &&
         (!options.allReleases || printAll(frame));
}

}  // namespace zepho
