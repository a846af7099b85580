#include "safe_text.h"

#include <array>
#include <cstdint>

namespace zepho {
namespace {

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

}  // namespace

void toSafeText(std::span<const char* const> parts, SafeText& text) {
  size_t length = 0;
  bool blank = false;  // written only when a word follows, so no text ends in one
  for (const char* part : parts) {
    for (; part != nullptr && *part != '\0'; ++part) {
      const auto c = static_cast<unsigned char>(*part);
      if (c == ' ') {
        blank = length != 0;
      } else if (length + blank < kSafeTextBytes) {
        if (blank) text[length++] = ' ';
        blank = false;
        text[length++] = (kPassesInValue[c >> 3] >> (c & 7) & 1) != 0 ? *part : '_';
      }
    }
  }
  text[length] = '\0';
}

}  // namespace zepho
