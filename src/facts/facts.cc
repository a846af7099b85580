#include "facts/facts.h"

#include <array>
#include <iterator>
#include <span>

#include "frame.h"
#include "safe_text.h"
#include "text.h"

namespace zepho {
namespace {

// The names of the facts, each ending in a zero byte, in the order printed.
constexpr char kFactNames[] =
    "STATUS\0RELEASE\0PLATFORM\0MAJOR\0MINOR\0BUILD\0CSD\0SP\0KIND\0BITS\0EDITION\0INSTALL\0"
    "FEATURE\0UBR\0ARCH\0PE\0VERSION";

// Windows PE makes this key; its values do not matter.
constexpr char kWindowsPeKey[] = "SYSTEM\\CurrentControlSet\\Control\\MiniNT";

// By Bitness and by Processor.
const char* const kBitsNames[] = {"", "32", "64"};
const char* const kProcessorNames[] = {"", "x86", "x64", "ARM64"};

const char* const kKinds[] = {"", "WORKSTATION", "DC", "SERVER"};

// Writes the facts one line at a time, in the order of their names.
class FactLines {
 public:
  explicit FactLines(Frame& frame) : frame_(frame) {}

  // Writes "SET ZEPHO_<name>=" and the parts as one safe text.
  bool write(std::span<const char* const> parts) {
    SafeText value;
    toSafeText(parts, value);
    const char* name = name_;
    name_ = nextText(name_);
    return frame_.writeLine({"SET ZEPHO_", name, "=", value});
  }
  bool write(const char* text) { return write(std::span<const char* const>(&text, 1)); }

 private:
  Frame& frame_;
  const char* name_ = kFactNames;
};

// EDITION, INSTALL, FEATURE (DisplayVersion, else the older ReleaseId) and
// UBR, from the CurrentVersion key where it is `asked`, else empty.
bool writeCurrentVersion(FactLines& lines, SystemFacts& system, bool asked) {
  const auto text = [&system, asked](const char* name) {
    return asked ? system.readText(name) : "";
  };
  if (!lines.write(text("EditionID")) || !lines.write(text("InstallationType"))) return false;
  const char* feature = text("DisplayVersion");
  if (feature[0] == '\0') feature = text("ReleaseId");
  if (!lines.write(feature)) return false;
  uint32_t number = 0;
  DecimalText updateRevision;
  if (asked && system.readNumber("UBR", number)) updateRevision = toDecimal(number);
  return lines.write(updateRevision.c_str());
}

}  // namespace

// Out of line, ZEPHO.EXE is 96 bytes smaller: inlined into the entry point,
// whose frame is large, each access to a local takes a 32-bit offset.
[[gnu::noinline]] bool printFacts(Frame& frame, Platform& platform, LongerRecord& longer,
                                  const VersionReport& report, const Release& release) {
  const bool nt = report.platformId == kPlatformWin32Nt;
  DecimalText servicePack;
  const char* kind = "";
  if (nt && longer.available()) {
    servicePack = toDecimal(longer.servicePackMajor());
    if (longer.productType() < std::size(kKinds)) kind = kKinds[longer.productType()];
  }
  SystemFacts& system = platform.system;
  const char* bits = kBitsNames[static_cast<uint8_t>(nt ? system.bitness() : Bitness::k32)];
  FactLines lines(frame);
  const char* const texts[] = {report.platformText.c_str(),
                               report.majorText.c_str(),
                               report.minorText.c_str(),
                               report.buildText.c_str(),
                               report.csdText.c_str(),
                               servicePack.c_str(),
                               kind,
                               bits};
  if (!lines.write(toDecimal(release.status).c_str()) ||
      !lines.write(std::span<const char* const>(release.parts.data(),
                                                release.status != 0 ? kServicePackPart : 0))) {
    return false;
  }
  for (const char* text : texts) {
    if (!lines.write(text)) return false;
  }
  // Windows before NT 6.0 has none of the values and is not Windows PE.
  const bool registry = nt && report.majorVersion >= 6;
  if (!writeCurrentVersion(lines, system, registry)) return false;
  const Processor processor = nt ? system.processor() : Processor::kX86;
  return lines.write(kProcessorNames[static_cast<uint8_t>(processor)]) &&
         lines.write(registry && system.keyExists(kWindowsPeKey) ? "1" : "") &&
         lines.write(platform.build.version);
}

}  // namespace zepho
