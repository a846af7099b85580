#include "options/switches.h"

#include <string_view>

namespace zepho {
namespace {

struct SwitchRow {
  std::string_view text;
  bool RunOptions::*flag;
};

constexpr SwitchRow kSwitches[] = {
    {"/HELP", &RunOptions::helpRequested},       {"/QUIET", &RunOptions::quiet},
    {"/TERMINALS", &RunOptions::checkTerminals}, {"/MAJOR", &RunOptions::majorMode},
    {"/VERBOSE", &RunOptions::verboseMode},
};

char upperCase(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether `argument`, upper-cased in a to z only, begins with `text`.
bool beginsWith(std::string_view argument, std::string_view text) {
  if (argument.size() < text.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (upperCase(argument[i]) != text[i]) return false;
  }
  return true;
}

}  // namespace

RunOptions parseSwitches(ArgumentReader& arguments) {
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
