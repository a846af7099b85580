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

bool isTerminalSession(EnvironmentSource& environment, const RunOptions& options,
                       uint16_t buildNumber) {
  if (!options.checkTerminals) return false;
  switch (buildNumber) {
    case 1381:
      return hasEnvironmentValue(environment, "WINSTATIONNAME");
    case 2195:
      return hasEnvironmentValue(environment, "SESSIONNAME");
    default:
      return false;
  }
}

}  // namespace zepho
