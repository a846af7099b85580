// The program's one output stream: standard output behind a 128-byte buffer.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "platform/output_port.h"

namespace zepho {

// Codes the writer reports besides the platform's own.
inline constexpr uint32_t kCodeWriteFault = 29;       // a failed write that gave no code
inline constexpr uint32_t kCodeDiskFull = 101;        // a write that took fewer bytes
inline constexpr uint32_t kCodeNotOpenForLine = 103;  // no stream to end the line on

// Zero-terminated pieces of text that make up one line; a null one is left out.
using LineParts = std::initializer_list<const char*>;

class LineWriter {
 public:
  explicit LineWriter(OutputPort& port) : port_(port) {}

  // Writes the parts as one line ending in CR LF, opening standard output on
  // first use. Returns the code of the latest failure during the line, or 0.
  uint32_t writeLine(LineParts parts);

  // Hands over what the buffer still holds. Returns the failure code, or 0.
  uint32_t flush();

 private:
  enum class State { NotOpen, Open, Unusable };

  void open();
  bool put(const char* text);
  bool handOver();
  uint32_t takePendingError();

  OutputPort& port_;
  State state_ = State::NotOpen;
  Handle handle_ = kInvalidHandle;
  bool flushAtLineEnd_ = false;
  uint32_t pendingError_ = 0;
  uint32_t fill_ = 0;
  char buffer_[128];
};

}  // namespace zepho
