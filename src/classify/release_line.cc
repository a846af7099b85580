#include "classify/release_line.h"

#include "classify/release_tables.h"
#include "frame.h"

namespace zepho {

// Out of line, ZEPHO.EXE is 28 bytes smaller: inlined into the entry point,
// whose frame is large, each access to a local takes a 32-bit offset.
[[gnu::noinline]] bool writeReleaseLine(Frame& frame, const Release& release) {
  const auto& p = release.parts;
  return frame.writeLine({kReleaseLinePrefix, p[kWindowsPart], p[kNamePart], p[kMajorPart],
                          p[kDotPart], p[kMinorPart], p[kBlankPart], p[kServicePackPart],
                          p[kSessionPart]});
}

}  // namespace zepho
