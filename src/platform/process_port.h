// What the process knows about itself, and its end.
#pragma once

#include <cstdint>

namespace zepho {

class ProcessPort {
 public:
  // The whole command-line text, program name included, zero-terminated.
  virtual const char* commandLine() = 0;
  // Stores the program's full file name and a zero; returns its length, 0
  // on failure, or `size` when it did not fit: the buffer then holds a cut
  // name, with no zero (Windows XP and earlier) or one byte shorter with a
  // zero (Vista and later).
  virtual uint32_t programFileName(char* buffer, uint32_t size) = 0;
  // Ends the process with `status`. Fakes record it and return.
  virtual void exit(uint32_t status) = 0;

 protected:
  ~ProcessPort() = default;
};

}  // namespace zepho
