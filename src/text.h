// Small fixed-size texts; nothing here touches the heap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zepho {

// Zero-terminated text of at most N bytes; appends beyond that are cut off.
template <size_t N>
class FixedText {
 public:
  static constexpr size_t kCapacity = N;

  FixedText() { bytes_[0] = '\0'; }

  FixedText& append(const char* text, size_t length) {
    for (size_t i = 0; i < length && length_ < N; ++i) bytes_[length_++] = text[i];
    bytes_[length_] = '\0';
    return *this;
  }
  FixedText& append(const char* text) {
    while (*text != '\0' && length_ < N) bytes_[length_++] = *text++;
    bytes_[length_] = '\0';
    return *this;
  }

  const char* c_str() const { return bytes_; }
  size_t size() const { return length_; }
  std::string_view view() const { return {bytes_, length_}; }

 private:
  char bytes_[N + 1];  // filled up to length_, then a zero byte
  size_t length_ = 0;
};

// The text after `text` where texts stand one after another, each ending
// in a zero byte.
inline const char* nextText(const char* text) {
  while (*text++ != '\0') {
  }
  return text;
}

// Decimal digits of an unsigned 32-bit value: no sign, no leading zeros.
using DecimalText = FixedText<10>;
DecimalText toDecimal(uint32_t value);

// Eight upper-case hexadecimal digits.
using HexText = FixedText<8>;
HexText toHex8(uint32_t value);

}  // namespace zepho
