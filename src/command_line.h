// Splitting of the raw command-line text into arguments.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace zepho {

inline constexpr size_t kMaxArgumentBytes = 4096;

// Reads the arguments after the program name, one at a time, from a
// zero-terminated text of any length. Holds one argument at a time.
class ArgumentReader {
 public:
  explicit ArgumentReader(const char* text);

  // Stores the next argument in `argument`; false once the arguments end
  // (at the end of the text, or at the first argument that comes out empty).
  bool next(std::string_view& argument);

 private:
  std::string_view take();

  const char* rest_;
  bool ended_ = false;
  std::array<char, kMaxArgumentBytes> buffer_;
};

}  // namespace zepho
