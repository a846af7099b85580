// zepho.exe's own memset and the like, renamed (CMakeLists.txt), against the host's library.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

extern "C" {
void* zepho_memset(void* target, int value, size_t count);
void* zepho_memcpy(void* target, const void* source, size_t count);
void* zepho_memmove(void* target, const void* source, size_t count);
int zepho_memcmp(const void* left, const void* right, size_t count);
void* zepho_memchr(const void* source, int value, size_t count);
size_t zepho_strlen(const char* text);
}

// Sizes around word widths, overlaps both ways, bytes with the high bit set.
TEST(Runtime, MatchesTheLibrary) {
  const auto sign = [](int value) { return (value > 0) - (value < 0); };
  constexpr size_t kRows[][3] = {{1, 20, 0}, {1, 20, 1}, {3, 20, 7}, {5, 20, 17},
                                 {2, 3, 30}, {3, 2, 30}, {8, 0, 16}, {4, 4, 9}};  // to, from, count
  for (const auto& [to, from, count] : kRows) {
    std::array<char, 41> ours{}, theirs{};  // the last byte stays 0, for strlen
    for (size_t i = 0; i < 40; ++i) ours[i] = theirs[i] = static_cast<char>(i * 37 + 1);
    const char *a = &ours[to], *b = &ours[from];
    EXPECT_EQ(sign(zepho_memcmp(a, b, count)), sign(std::memcmp(a, b, count)));
    EXPECT_EQ(zepho_memchr(b, *a, count), std::memchr(b, *a, count));
    EXPECT_EQ(zepho_strlen(a), std::strlen(a));
    if (to + count <= from || from + count <= to) {
      EXPECT_EQ(zepho_memcpy(&ours[to], b, count), a);
      std::memcpy(&theirs[to], &theirs[from], count);
    }
    EXPECT_EQ(zepho_memmove(&ours[to], b, count), a);
    std::memmove(&theirs[to], &theirs[from], count);
    EXPECT_EQ(zepho_memset(&ours[from], 0x1A5, count / 2), b);  // the value's low byte only
    std::memset(&theirs[from], 0x1A5, count / 2);
    EXPECT_EQ(ours, theirs) << to << " " << from << " " << count;
  }
}
