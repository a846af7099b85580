// Splitting of the raw command-line text into arguments.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace zepho {

// An argument is at most this long; the splitting rule counts to it.
inline constexpr size_t kMaxArgumentBytes = 4096;
// Of an argument only its first bytes are kept: as many as the longest
// switch, which is all that matching a switch reads.
inline constexpr size_t kKeptArgumentBytes = 10;

// Reads the arguments after the program name, one at a time, from a
// zero-terminated text of any length.
class ArgumentReader {
 public:
  explicit ArgumentReader(const char* text);

  // Stores the first kKeptArgumentBytes of the next argument in `argument`;
  // false once the arguments end (at the end of the text, or at the first
  // argument that comes out empty).
  bool next(std::string_view& argument);

  // The whole length of the last argument, at most kMaxArgumentBytes.
  size_t length() const { return length_; }

 private:
  size_t take();

  const char* rest_;
  bool ended_ = false;
  size_t length_ = 0;
  std::array<char, kKeptArgumentBytes> kept_;
};

}  // namespace zepho
