// Standard output and standard error, as the platform hands them out.
#pragma once

#include <cstdint>

namespace zepho {

using Handle = uintptr_t;
inline constexpr Handle kInvalidHandle = ~Handle{0};  // what GetStdHandle gives on failure
inline constexpr Handle kNoHandle = 0;                // a process started without the handle

enum class FileKind : uint32_t { Unknown = 0, Disk = 1, Char = 2, Pipe = 3, Remote = 0x8000 };

class OutputPort {
 public:
  virtual Handle standardOutput() = 0;
  virtual Handle standardError() = 0;
  virtual FileKind kind(Handle handle) = 0;
  // Hands `size` bytes to the platform; false on failure (see lastError).
  virtual bool write(Handle handle, const char* data, uint32_t size, uint32_t& written) = 0;
  // The platform's code for the latest failure of this thread.
  virtual uint32_t lastError() = 0;
  virtual void close(Handle handle) = 0;

 protected:
  ~OutputPort() = default;
};

}  // namespace zepho
