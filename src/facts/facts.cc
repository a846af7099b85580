#include "facts/facts.h"

#include <array>
#include <iterator>
#include <span>

#include "classify/release_tables.h"
#include "text.h"

namespace zepho {
namespace {

// The names of the facts, each ending in a zero byte, in the order printed.
constexpr char kFactNames[] =
    "STATUS\0RELEASE\0PLATFORM\0MAJOR\0MINOR\0BUILD\0CSD\0SP\0KIND\0BITS\0EDITION\0INSTALL\0"
    "FEATURE\0UBR";

// The values of the CurrentVersion key behind the last four facts, in their
// order; the feature update is DisplayVersion, else the older ReleaseId.
constexpr char kValueNames[] = "EditionID\0InstallationType\0DisplayVersion\0ReleaseId\0UBR";
constexpr char kRegistryFunctionNames[] = "RegOpenKeyExA\0RegQueryValueExA\0RegCloseKey";
enum { kEdition, kInstall, kFeature, kUbr, kRegistryFacts };
constexpr size_t kValueBytes = 63;

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

// The last four facts, from the CurrentVersion key where ADVAPI32 and its
// functions are there (`asked`): a text up to its first zero byte, a
// number of four bytes in decimal, empty where a value is absent or of
// another type.
[[gnu::noinline]] bool writeCurrentVersion(FactLines& lines, Platform& platform, bool asked,
                                           bool view64) {
  RegistryFunctions functions = {};
  const char* function = kRegistryFunctionNames;
  for (FunctionAddress& found : functions) {
    if (asked) found = platform.lookup.find("ADVAPI32.DLL", function);
    asked = found != 0;
    function = nextText(function);
  }
  const char* name = kValueNames;
  for (int fact = 0; fact < kRegistryFacts; ++fact) {
    const uint32_t type = fact == kUbr ? kRegistryDword : kRegistryText;
    const char* data = "";
    uint32_t size = 0;
    // The feature update is DisplayVersion, else the older ReleaseId: the
    // one fact with two value names.
    for (int names = fact == kFeature ? 2 : 1; names > 0; --names) {
      const char* found = nullptr;
      if (asked && data[0] == '\0' &&
          platform.registry.read(functions, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                                 view64, name, found, size) == type) {
        data = found;
      }
      name = nextText(name);
    }
    DecimalText number;
    if (type == kRegistryDword) {
      const auto* bytes = reinterpret_cast<const unsigned char*>(data);
      if (size == 4) {
        number = toDecimal(uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
                           uint32_t{bytes[3]} << 24);
      }
      data = number.c_str();
    }
    if (!lines.write(data)) return false;
  }
  return true;
}

}  // namespace

[[gnu::noinline]] bool printFacts(Frame& frame, Platform& platform, LongerRecord& longer,
                                  const VersionReport& report, const Release& release) {
  const bool nt = report.platformId == kPlatformWin32Nt;
  DecimalText servicePack;
  const char* kind = "";
  if (nt && longer.answered()) {
    servicePack = toDecimal(longer.servicePackMajor());
    if (longer.productType() < std::size(kKinds)) kind = kKinds[longer.productType()];
  }
  const FunctionAddress isWow64 = nt ? platform.lookup.find("KERNEL32.DLL", "IsWow64Process") : 0;
  const bool wow64 = isWow64 != 0 && platform.registry.isWow64(isWow64);
  FactLines lines(frame);
  const char* const texts[] = {report.platformText.c_str(),
                               report.majorText.c_str(),
                               report.minorText.c_str(),
                               report.buildText.c_str(),
                               report.csdText.c_str(),
                               servicePack.c_str(),
                               kind,
                               wow64 ? "64" : "32"};
  if (!lines.write(toDecimal(release.status).c_str()) ||
      !lines.write(
          std::span<const char* const>(release.parts, release.status != 0 ? kNameParts : 0))) {
    return false;
  }
  for (const char* text : texts) {
    if (!lines.write(text)) return false;
  }
  return writeCurrentVersion(lines, platform, nt && report.majorVersion >= 6, wow64);
}

}  // namespace zepho
