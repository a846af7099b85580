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
  if (!port_.write(handle_, buffer_, size, written)) {
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

// Copies text into the buffer, handing over each full block; false after a
// failed hand-over, which drops the rest of the text.
bool LineWriter::put(const char* text) {
  if (text == nullptr) return true;
  for (; *text != '\0'; ++text) {
    buffer_[fill_++] = *text;
    if (fill_ == sizeof buffer_ && !handOver()) return false;
  }
  return true;
}

uint32_t LineWriter::writeLine(LineParts parts) {
  if (state_ == State::NotOpen) open();
  if (state_ == State::Open) {
    for (const char* part : parts) {
      if (!put(part)) break;
    }
    put("\r\n");  // the line end is written even after a failed text
    if (flushAtLineEnd_) handOver();
  } else {
    pendingError_ = kCodeNotOpenForLine;
  }
  return takePendingError();
}

uint32_t LineWriter::flush() {
  if (state_ == State::Open) handOver();
  return takePendingError();
}

uint32_t LineWriter::takePendingError() {
  const uint32_t code = pendingError_;
  pendingError_ = 0;
  return code;
}

}  // namespace zepho
