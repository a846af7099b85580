// The few functions that compiled code calls behind the program's back and
// that a C runtime would otherwise supply. The build keeps the compiler from
// turning these loops back into calls to themselves.
#include <cstddef>

extern "C" {

void* memset(void* target, int value, size_t count) {
  auto* bytes = static_cast<unsigned char*>(target);
  while (count-- != 0) *bytes++ = static_cast<unsigned char>(value);
  return target;
}

void* memcpy(void* target, const void* source, size_t count) {
  auto* to = static_cast<unsigned char*>(target);
  const auto* from = static_cast<const unsigned char*>(source);
  while (count-- != 0) *to++ = *from++;
  return target;
}

void* memmove(void* target, const void* source, size_t count) {
  auto* to = static_cast<unsigned char*>(target);
  const auto* from = static_cast<const unsigned char*>(source);
  if (to < from) {
    while (count-- != 0) *to++ = *from++;
  } else {
    while (count-- != 0) to[count] = from[count];
  }
  return target;
}

int memcmp(const void* left, const void* right, size_t count) {
  const auto* a = static_cast<const unsigned char*>(left);
  const auto* b = static_cast<const unsigned char*>(right);
  for (; count != 0; --count, ++a, ++b) {
    if (*a != *b) return *a < *b ? -1 : 1;
  }
  return 0;
}

void* memchr(const void* source, int value, size_t count) {
  const auto* bytes = static_cast<const unsigned char*>(source);
  for (; count != 0; --count, ++bytes) {
    if (*bytes == static_cast<unsigned char>(value)) return const_cast<unsigned char*>(bytes);
  }
  return nullptr;
}

size_t strlen(const char* text) {
  size_t length = 0;
  while (text[length] != '\0') ++length;
  return length;
}

// Reached only through a broken object; end the process rather than return.
void __cxa_pure_virtual() {
  __builtin_trap();
}

}  // extern "C"
