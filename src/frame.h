// The frame every stage runs in: checked line output, the failure report,
// and the orderly end of the process.
#pragma once

#include <cstdint>

#include "failure_report.h"
#include "line_writer.h"
#include "platform/platform.h"

namespace zepho {

inline constexpr uint32_t kStatusOutputFailure = 1;

class Frame {
 public:
  explicit Frame(Platform& platform) : platform_(platform), writer_(platform.output) {}

  // Writes one line and checks it. On a failure the failure report has been
  // written and false is returned: the run must end, with status 1.
  bool writeLine(LineParts parts);

  // From now on a failure is reported on standard error alone, so that a
  // report never lands among lines that a batch file loads.
  void reportOnStandardErrorOnly() { reportToError_ = true; }

  // Hands over what is still buffered and ends the process with `status`,
  // or with 1 once an output failure has been reported.
  void endProcess(uint32_t status);

 private:
  ReportLine composeReport(uint32_t code, uint32_t place);
  void reportFailure(uint32_t code, uint32_t place);
  void reportOnStandardError(uint32_t code, uint32_t place);

  Platform& platform_;
  LineWriter writer_;
  uint32_t linesWritten_ = 0;
  bool failed_ = false;
  bool reportToError_ = false;
  bool reportBuffered_ = false;  // the report sits in the writer, not yet handed over
  uint32_t failureCode_ = 0;
  uint32_t failurePlace_ = 0;
};

}  // namespace zepho
