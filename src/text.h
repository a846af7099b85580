// Small fixed-size text helpers; nothing here touches the heap.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zepho {

// Text of at most N bytes; appends beyond that are cut off.
template <size_t N>
class FixedText {
 public:
  static constexpr size_t kCapacity = N;

  FixedText& append(std::string_view text) {
    for (char c : text) {
      if (length_ == N) break;
      bytes_[length_++] = c;
    }
    return *this;
  }
  std::string_view view() const { return {bytes_.data(), length_}; }

 private:
  std::array<char, N> bytes_{};
  size_t length_ = 0;
};

// Decimal digits of an unsigned 32-bit value: no sign, no leading zeros.
using DecimalText = FixedText<10>;
DecimalText toDecimal(uint32_t value);

// Eight upper-case hexadecimal digits.
using HexText = FixedText<8>;
HexText toHex8(uint32_t value);

}  // namespace zepho
