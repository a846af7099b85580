// Lookup of environment variables.
#pragma once

#include <cstdint>

namespace zepho {

class EnvironmentSource {
 public:
  // Looks up the zero-terminated `name`. Returns 0 when the variable is unset
  // or empty; the value's length when it fit into `size` bytes with its zero
  // (the value is then stored); otherwise the size it would need, leaving the
  // buffer's content undefined.
  virtual uint32_t read(const char* name, char* buffer, uint32_t size) = 0;

 protected:
  ~EnvironmentSource() = default;
};

}  // namespace zepho
