// Text from anywhere made safe for a batch file to load.
#pragma once

#include <cstddef>
#include <span>

namespace zepho {

inline constexpr size_t kSafeTextBytes = 63;
// At most 63 bytes and a zero byte after them.
using SafeText = char[kSafeTextBytes + 1];

// Writes the parts (null ones left out), which may hold any bytes, as one
// text that no shell reads as anything but text: letters, digits and
// ". - _ / +" pass, blanks stay as one blank between words, every other
// byte becomes "_", and the text ends at 63 bytes. So it runs no command,
// expands no variable and ends no line, whether COMMAND.COM or cmd.exe
// reads it.
void toSafeText(std::span<const char* const> parts, SafeText& text);

}  // namespace zepho
