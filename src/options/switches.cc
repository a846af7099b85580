#include "options/switches.h"

#include <string_view>

#include "command_line.h"

namespace zepho {
namespace {

struct SwitchRow {
  const char* text;
  bool RunOptions::*flag;
};

constexpr SwitchRow kSwitches[] = {
    {"/HELP", &RunOptions::helpRequested},       {"/QUIET", &RunOptions::quiet},
    {"/TERMINALS", &RunOptions::checkTerminals}, {"/MAJOR", &RunOptions::majorMode},
    {"/VERBOSE", &RunOptions::verboseMode},      {"/ALL", &RunOptions::allReleases},
    {"/SET", &RunOptions::factsAsSetLines},      {"/VERSION", &RunOptions::versionRequested},
};

consteval bool switchesFitTheKeptBytes() {
  for (const SwitchRow& row : kSwitches) {
    if (std::string_view(row.text).size() > kKeptArgumentBytes) return false;
  }
  return true;
}
static_assert(switchesFitTheKeptBytes(), "a switch longer than the bytes kept of an argument");

char upperCase(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether `argument`, upper-cased in a to z only, begins with `text`.
bool beginsWith(std::string_view argument, const char* text) {
  for (char c : argument) {
    if (*text == '\0') return true;
    if (upperCase(c) != *text++) return false;
  }
  return *text == '\0';
}

}  // namespace

RunOptions parseSwitches(const char* commandLine) {
  ArgumentReader arguments(commandLine);
  RunOptions options;
  std::string_view argument;
  while (arguments.next(argument)) {
    for (const SwitchRow& row : kSwitches) {
      if (beginsWith(argument, row.text)) options.*row.flag = true;
    }
  }
  return options;
}

void settleMode(RunOptions& options) {
  if (!options.verboseMode && !options.majorMode) options.majorMode = true;
}

}  // namespace zepho
