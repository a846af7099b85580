#include "facts/facts.h"

#include <array>
#include <iterator>
#include <span>

#include "frame.h"
#include "text.h"

namespace zepho {
namespace {

// The names of the facts, each ending in a zero byte, in the order printed.
constexpr char kFactNames[] =
    "STATUS\0RELEASE\0PLATFORM\0MAJOR\0MINOR\0BUILD\0CSD\0SP\0KIND\0BITS\0EDITION\0INSTALL\0"
    "FEATURE\0UBR\0ARCH\0PE";

// The values of the CurrentVersion key behind EDITION, INSTALL, FEATURE and
// UBR, in their order; the feature update is DisplayVersion, else the older
// ReleaseId.
constexpr char kValueNames[] = "EditionID\0InstallationType\0DisplayVersion\0ReleaseId\0UBR";
constexpr char kRegistryFunctionNames[] = "RegOpenKeyExA\0RegQueryValueExA\0RegCloseKey";
constexpr char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
// Windows PE makes this key; its values do not matter.
constexpr char kWindowsPeKey[] = "SYSTEM\\CurrentControlSet\\Control\\MiniNT";
enum { kEdition, kInstall, kFeature, kUbr, kRegistryFacts };
constexpr size_t kValueBytes = 63;

// The processors ZEPHO_ARCH names, with the number IsWow64Process2 gives
// each (IMAGE_FILE_MACHINE_*) and the one GetNativeSystemInfo gives
// (PROCESSOR_ARCHITECTURE_*).
struct Processor {
  uint16_t machine;
  uint16_t architecture;
  const char* name;
};
constexpr Processor kProcessors[] = {{0x014C, 0, "x86"}, {0x8664, 9, "x64"}, {0xAA64, 12, "ARM64"}};

const char* const kKinds[] = {"", "WORKSTATION", "DC", "SERVER"};

// The bytes that pass in a value unchanged, a bit each.
consteval std::array<uint8_t, 32> valueBytes() {
  std::array<uint8_t, 32> passes{};
  for (unsigned c = 0; c < 256; ++c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
        c == '-' || c == '_' || c == '/' || c == '+') {
      passes[c >> 3] = static_cast<uint8_t>(passes[c >> 3] | 1 << (c & 7));
    }
  }
  return passes;
}
constexpr std::array<uint8_t, 32> kPassesInValue = valueBytes();

// Writes the facts one line at a time, in the order of their names.
class FactLines {
 public:
  explicit FactLines(Frame& frame) : frame_(frame) {}

  // Writes "SET ZEPHO_<name>=" and the value the parts make, which may hold
  // any bytes, so that no shell reads it as anything but text: letters,
  // digits and ". - _ / +" pass, blanks stay as one blank between words,
  // every other byte becomes "_", and the value ends at 63 bytes. So a
  // value runs no command, expands no variable and ends no line, whether
  // COMMAND.COM or cmd.exe reads it.
  bool write(std::span<const char* const> parts) {
    char value[kValueBytes + 1];
    size_t length = 0;
    bool blank = false;  // written only when a word follows, so no value ends in one
    for (const char* part : parts) {
      for (; part != nullptr && *part != '\0'; ++part) {
        const auto c = static_cast<unsigned char>(*part);
        if (c == ' ') {
          blank = length != 0;
        } else if (length + blank < kValueBytes) {
          if (blank) value[length++] = ' ';
          blank = false;
          value[length++] = (kPassesInValue[c >> 3] >> (c & 7) & 1) != 0 ? *part : '_';
        }
      }
    }
    value[length] = '\0';
    const char* name = name_;
    name_ = nextText(name_);
    return frame_.writeLine({"SET ZEPHO_", name, "=", value});
  }
  bool write(const char* text) { return write(std::span<const char* const>(&text, 1)); }

 private:
  Frame& frame_;
  const char* name_ = kFactNames;
};

// Finds ADVAPI32's registry functions; false where one is missing.
bool findRegistry(RuntimeLookup& lookup, RegistryFunctions& functions) {
  const char* name = kRegistryFunctionNames;
  for (FunctionAddress& function : functions) {
    function = lookup.find("ADVAPI32.DLL", name);
    if (function == 0) return false;
    name = nextText(name);
  }
  return true;
}

// EDITION, INSTALL, FEATURE and UBR, from the CurrentVersion key where
// `registry` holds the functions that read it: a text up to its first zero
// byte, UBR from a number of four bytes in decimal, empty where a value is
// absent or of another type.
bool writeCurrentVersion(FactLines& lines, SystemSource& system, const RegistryFunctions* registry,
                         bool view64) {
  const char* name = kValueNames;
  for (int fact = 0; fact < kRegistryFacts; ++fact) {
    const uint32_t wanted = fact == kUbr ? kRegistryDword : kRegistryText;
    const char* value = "";
    uint32_t valueSize = 0;
    // FEATURE is the one fact with two value names, the second read only
    // where the first gave nothing.
    for (int names = fact == kFeature ? 2 : 1; names > 0; --names) {
      const char* data = nullptr;
      uint32_t size = 0;
      if (registry != nullptr && value[0] == '\0' &&
          system.read(*registry, kCurrentVersionKey, view64, name, data, size) == wanted) {
        value = data;
        valueSize = size;
      }
      name = nextText(name);
    }
    DecimalText number;
    if (wanted == kRegistryDword) {
      const auto* bytes = reinterpret_cast<const unsigned char*>(value);
      if (valueSize == 4) {
        number = toDecimal(uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
                           uint32_t{bytes[3]} << 24);
      }
      value = number.c_str();
    }
    if (!lines.write(value)) return false;
  }
  return true;
}

// ZEPHO_ARCH: the system's own processor, whatever this program was built
// for and whether it runs emulated. IsWow64Process2 (Windows 10 1511 on)
// tells it even to an emulated x64 program on ARM64, where
// GetNativeSystemInfo (XP on) says x64; NT before both and 95 to ME run on
// x86 alone. Empty where a call fails or names another processor.
const char* processorName(Platform& platform, bool nt) {
  if (!nt) return kProcessors[0].name;
  uint16_t number = 0;
  bool byMachine = true;
  if (const FunctionAddress isWow64Process2 =
          platform.lookup.find("KERNEL32.DLL", "IsWow64Process2")) {
    if (!platform.system.nativeMachine(isWow64Process2, number)) return "";
  } else if (const FunctionAddress getNativeSystemInfo =
                 platform.lookup.find("KERNEL32.DLL", "GetNativeSystemInfo")) {
    number = platform.system.nativeArchitecture(getNativeSystemInfo);
    byMachine = false;
  } else {
    return kProcessors[0].name;
  }
  for (const Processor& processor : kProcessors) {
    if ((byMachine ? processor.machine : processor.architecture) == number) return processor.name;
  }
  return "";
}

}  // namespace

// Out of line, ZEPHO.EXE is 164 bytes smaller: inlined into the entry point,
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
  // A 64-bit build knows its bitness. A 32-bit one asks IsWow64Process,
  // and where that is missing the release is 32-bit only: every Windows
  // that runs 32-bit programs on a 64-bit system has it.
  bool is64Bit = platform.system.is64BitProgram();
  const char* bits = "64";
  if (!is64Bit) {
    const FunctionAddress isWow64 = nt ? platform.lookup.find("KERNEL32.DLL", "IsWow64Process") : 0;
    bits = "32";
    if (isWow64 != 0 && !platform.system.isWow64(isWow64, is64Bit)) bits = "";
    if (is64Bit) bits = "64";
  }
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
  RegistryFunctions functions = {};
  const bool registry = nt && report.majorVersion >= 6 && findRegistry(platform.lookup, functions);
  if (!writeCurrentVersion(lines, platform.system, registry ? &functions : nullptr, is64Bit) ||
      !lines.write(processorName(platform, nt))) {
    return false;
  }
  return lines.write(registry && platform.system.keyExists(functions, kWindowsPeKey, is64Bit) ? "1"
                                                                                              : "");
}

}  // namespace zepho
