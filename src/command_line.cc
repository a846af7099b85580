#include "command_line.h"

namespace zepho {
namespace {

bool isSeparator(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 1 && byte <= 32;
}

}  // namespace

ArgumentReader::ArgumentReader(const char* text) : rest_(text) {
  take();  // the program name
}

bool ArgumentReader::next(std::string_view& argument) {
  if (ended_) return false;
  length_ = take();
  argument = {kept_.data(), length_ < kept_.size() ? length_ : kept_.size()};
  ended_ = length_ == 0;
  return !ended_;
}

// Takes one argument from rest_. Blanks and control bytes separate arguments;
// a pair of quotes that opens an argument is dropped; a double quote opens a
// quoted run that takes every byte up to the next quote or the end of the
// text, and quoted and unquoted pieces join into one argument.
//
// An argument holds at most 4096 bytes. Outside a quoted run it simply ends
// there and the following bytes begin the next argument. When the limit is
// reached inside a quoted run, the argument is cut short instead: the rest
// of it is read by the same rules and dropped, so that text the user quoted
// never spills into further arguments. Either way the text is read once,
// front to back, and only the first kKeptArgumentBytes are stored.
size_t ArgumentReader::take() {
  for (;;) {
    while (isSeparator(*rest_)) ++rest_;
    if (rest_[0] != '"' || rest_[1] != '"') break;
    rest_ += 2;
  }
  size_t fill = 0;
  bool quoted = false;
  bool truncated = false;
  for (char c = *rest_; c != '\0'; c = *++rest_) {
    const bool full = fill == kMaxArgumentBytes;
    if (full && !quoted && !truncated) break;
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && isSeparator(c)) {
      break;
    } else if (full) {
      truncated = true;
    } else {
      if (fill < kept_.size()) kept_[fill] = c;
      ++fill;
    }
  }
  return fill;
}

}  // namespace zepho
