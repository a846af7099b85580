#include "line_writer.h"

namespace zepho {

// Opens standard output once. A missing handle or one of unknown kind leaves
// the stream unusable for the rest of the run; asking again would only hand
// back the handle that was just closed.
void LineWriter::open() {
  state_ = State::Unusable;
  const Handle handle = port_.standardOutput();
  if (handle == kInvalidHandle || handle == kNoHandle) return;
  const FileKind kind = port_.kind(handle);
  if (kind == FileKind::Unknown) {
    port_.close(handle);
    return;
  }
  handle_ = handle;
  flushAtLineEnd_ = kind == FileKind::Char;
  state_ = State::Open;
}

// The buffer is emptied before the hand-over, so a failed block is lost.
bool LineWriter::handOver() {
  const uint32_t size = fill_;
  fill_ = 0;
  if (size == 0) return true;
  uint32_t written = 0;
  if (!port_.write(handle_, buffer_.data(), size, written)) {
    const uint32_t code = port_.lastError();
    pendingError_ = code != 0 ? code : kCodeWriteFault;
    return false;
  }
  if (written != size) {
    pendingError_ = kCodeDiskFull;
    return false;
  }
  return true;
}

// Copies text into the buffer, handing over each full block; after a failed
// hand-over the rest of this piece of text is dropped.
void LineWriter::put(std::string_view text) {
  if (failedInPut_) return;
  for (char c : text) {
    buffer_[fill_++] = c;
    if (fill_ == buffer_.size() && !handOver()) {
      failedInPut_ = true;
      return;
    }
  }
}

uint32_t LineWriter::writeLine(std::string_view a, std::string_view b, std::string_view c) {
  if (state_ == State::NotOpen) open();
  if (state_ == State::Open) {
    failedInPut_ = false;
    put(a);
    put(b);
    put(c);
    failedInPut_ = false;  // the line end is written even after a failed text
    put("\r\n");
    if (flushAtLineEnd_) handOver();
  } else {
    // Neither the text nor the line end has a stream to go to.
    pendingError_ = kCodeNotOpenForLine;
  }
  const uint32_t code = pendingError_;
  pendingError_ = 0;
  return code;
}

uint32_t LineWriter::flush() {
  if (state_ != State::Open) return 0;
  pendingError_ = 0;
  handOver();
  const uint32_t code = pendingError_;
  pendingError_ = 0;
  return code;
}

}  // namespace zepho
