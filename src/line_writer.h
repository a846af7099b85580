// The program's one output stream: standard output behind a 128-byte buffer.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/output_port.h"

namespace zepho {

// Codes the writer reports besides the platform's own.
inline constexpr uint32_t kCodeDiskFull = 101;        // a write that took fewer bytes
inline constexpr uint32_t kCodeNotOpenForLine = 103;  // no stream at the line end
inline constexpr uint32_t kCodeWriteFault = 29;       // a failed write with no code

class LineWriter {
 public:
  explicit LineWriter(OutputPort& port) : port_(port) {}

  // Writes the parts as one line ending in CR LF, opening standard output on
  // first use. Returns the code of the latest failure during the line, or 0.
  uint32_t writeLine(std::string_view a, std::string_view b = {}, std::string_view c = {});

  // Hands over what the buffer still holds. Returns the failure code, or 0.
  uint32_t flush();

 private:
  enum class State { NotOpen, Open, Unusable };

  void open();
  void put(std::string_view text);
  bool handOver();

  OutputPort& port_;
  State state_ = State::NotOpen;
  Handle handle_ = kInvalidHandle;
  bool flushAtLineEnd_ = false;
  bool failedInPut_ = false;
  uint32_t pendingError_ = 0;
  uint32_t fill_ = 0;
  std::array<char, 128> buffer_;
};

}  // namespace zepho
