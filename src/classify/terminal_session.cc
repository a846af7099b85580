#include "classify/terminal_session.h"

namespace zepho {
namespace {

constexpr uint32_t kValueBufferSize = 250;

}  // namespace

bool hasEnvironmentValue(EnvironmentSource& environment, const char* name) {
  char value[kValueBufferSize + 1];
  value[0] = '\0';
  const uint32_t count = environment.read(name, value, kValueBufferSize);
  if (count == 0) return false;
  // The value did not fit: the buffer holds nothing defined, but the
  // variable is set and not empty.
  if (count >= kValueBufferSize) return true;
  return value[0] != '\0';
}

const TerminalRow* findTerminalSession(EnvironmentSource& environment, const RunOptions& options,
                                       uint16_t buildNumber) {
  if (!options.checkTerminals) return nullptr;
  for (const TerminalRow& row : terminalTable()) {
    if (row.buildNumber == buildNumber && hasEnvironmentValue(environment, row.marker)) return &row;
  }
  return nullptr;
}

}  // namespace zepho
