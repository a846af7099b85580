#include "frame.h"

namespace zepho {

bool Frame::writeLine(LineParts parts) {
  // A line's number in the run is the place its check reports.
  const uint32_t place = ++linesWritten_;
  const uint32_t code = writer_.writeLine(parts);
  if (code == 0) return true;
  reportFailure(code, place);
  return false;
}

ReportLine Frame::composeReport(uint32_t code, uint32_t place) {
  char path[261];
  const uint32_t length = platform_.process.programFileName(path, sizeof path);
  // 0 is a failure, and the buffer's size a name that did not fit and was
  // cut: either way the name is not known, and the report says zepho.exe.
  const char* module = "";
  if (length != 0 && length < sizeof path) {
    path[length] = '\0';
    module = baseName(path);
  }
  return composeFailureReport(code, place, *module != '\0' ? module : "zepho.exe");
}

// The report goes out as one more line of the same stream. When that line
// fails too, or when the lines are for a batch file to load, it is written
// straight to standard error instead, so that a failure is never lost in
// silence.
void Frame::reportFailure(uint32_t code, uint32_t place) {
  failed_ = true;
  failureCode_ = code;
  failurePlace_ = place;
  if (!reportToError_ && writer_.writeLine({composeReport(code, place).c_str()}) == 0) {
    reportBuffered_ = true;
  } else {
    reportOnStandardError(code, place);
  }
}

void Frame::reportOnStandardError(uint32_t code, uint32_t place) {
  ReportLine line = composeReport(code, place);
  line.append("\r\n");
  OutputPort& port = platform_.output;
  const Handle handle = port.standardError();
  if (handle == kInvalidHandle || handle == kNoHandle) return;
  uint32_t written = 0;
  port.write(handle, line.c_str(), static_cast<uint32_t>(line.size()), written);
}

void Frame::endProcess(uint32_t status) {
  const uint32_t code = writer_.flush();
  if (failed_) {
    // The report was only buffered; if its last block failed, repeat it.
    if (code != 0 && reportBuffered_) reportOnStandardError(failureCode_, failurePlace_);
    status = kStatusOutputFailure;
  } else if (code != 0) {
    // The release is known and batch files read it from the status, so the
    // status stays; the lost output is reported on standard error.
    reportOnStandardError(code, linesWritten_ + 1);
  }
  platform_.process.exit(status);
}

}  // namespace zepho
