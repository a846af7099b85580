// What the process knows about itself, and its end.
#pragma once

#include <cstdint>

namespace zepho {

class ProcessPort {
 public:
  // The whole command-line text, program name included, zero-terminated.
  virtual const char* commandLine() = 0;
  // Stores up to `size` bytes of the program's full file name; returns the
  // count stored (without a zero, which may be missing when truncated).
  virtual uint32_t programFileName(char* buffer, uint32_t size) = 0;
  // Ends the process with `status`. Fakes record it and return.
  virtual void exit(uint32_t status) = 0;

 protected:
  ~ProcessPort() = default;
};

}  // namespace zepho
