#include "frame.h"

#include "failure_report.h"

namespace zepho {

bool Frame::writeLine(std::string_view a, std::string_view b, std::string_view c) {
  // A line's number in the run is the place its check reports.
  const uint32_t place = ++linesWritten_;
  const uint32_t code = writer_.writeLine(a, b, c);
  if (code == 0) return true;
  reportFailure(code, place);
  return false;
}

ReportLine Frame::composeReport(uint32_t code, uint32_t place) {
  char path[260];
  uint32_t length = platform_.process.programFileName(path, sizeof path);
  if (length > sizeof path) length = sizeof path;
  std::string_view module = baseName({path, length});
  if (module.empty()) module = "zepho.exe";
  return composeFailureReport(code, place, module);
}

// The report goes out as one more line of the same stream. When that line
// fails too, it is written straight to standard error instead, so that a
// failure is never lost in silence.
void Frame::reportFailure(uint32_t code, uint32_t place) {
  failed_ = true;
  failureCode_ = code;
  failurePlace_ = place;
  if (writer_.writeLine(composeReport(code, place).view()) == 0) {
    reportBuffered_ = true;
  } else {
    reportOnStandardError(code, place);
  }
}

void Frame::reportOnStandardError(uint32_t code, uint32_t place) {
  FixedText<ReportLine::kCapacity + 2> line;
  line.append(composeReport(code, place).view()).append("\r\n");
  OutputPort& port = platform_.output;
  const Handle handle = port.standardError();
  if (handle == kInvalidHandle || handle == kNoHandle) return;
  uint32_t written = 0;
  port.write(handle, line.view().data(), static_cast<uint32_t>(line.view().size()), written);
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
