// Splits any command-line text and checks what comes out.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  zepho::ArgumentReader reader(text.c_str());
  std::string_view argument;
  size_t count = 0;
  while (reader.next(argument)) {
    // Arguments are never empty, never longer than the cap, and never more
    // numerous than the bytes they came from.
    if (argument.empty() || argument.size() > zepho::kMaxArgumentBytes) std::abort();
    if (++count > size) std::abort();
  }
  if (reader.next(argument)) std::abort();  // once ended, stays ended
  return 0;
}
