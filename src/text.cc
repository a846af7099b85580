#include "text.h"

namespace zepho {

DecimalText toDecimal(uint32_t value) {
  char digits[10];
  size_t start = sizeof digits;
  do {
    digits[--start] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  return DecimalText().append(digits + start, sizeof digits - start);
}

HexText toHex8(uint32_t value) {
  char digits[8];
  for (int i = 7; i >= 0; --i, value >>= 4) {
    const char digit = static_cast<char>(value & 0xF);
    digits[i] = static_cast<char>(digit < 10 ? '0' + digit : 'A' - 10 + digit);
  }
  return HexText().append(digits, sizeof digits);
}

}  // namespace zepho
