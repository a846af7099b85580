#include "text.h"

namespace zepho {

DecimalText toDecimal(uint32_t value) {
  char digits[10];
  size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  DecimalText text;
  while (count != 0) text.append({&digits[--count], 1});
  return text;
}

HexText toHex8(uint32_t value) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  HexText text;
  for (int shift = 28; shift >= 0; shift -= 4)
    text.append(kDigits.substr((value >> shift) & 0xF, 1));
  return text;
}

}  // namespace zepho
