// What Windows NT tells beyond its version record: its bitness, its
// processor and its registry.
#pragma once

#include <cstdint>

namespace zepho {

enum class Bitness : uint8_t { kUnknown, k32, k64 };

// The processors zepho names; kUnknown for any other, or where asking fails.
enum class Processor : uint8_t { kUnknown, kX86, kX64, kArm64 };

// Each answer is asked for while the program runs, through functions not
// every release has, each looked up once; where the release lacks one,
// the answer is what every such release gives.
class SystemFacts {
 public:
  // 64 for a 64-bit build of zepho, which only a 64-bit Windows runs; for a
  // 32-bit build, 64 when it runs on a 64-bit Windows, else 32; unknown
  // where asking fails.
  virtual Bitness bitness() = 0;
  // The system's own processor, whatever this program was built for and
  // whether it runs emulated.
  virtual Processor processor() = 0;
  // The text value `name` of the key HKLM\SOFTWARE\Microsoft\Windows
  // NT\CurrentVersion up to its first zero byte; "" where it is absent, not
  // a text or longer than 512 bytes. Valid until the next read.
  virtual const char* readText(const char* name) = 0;
  // The same key's value `name`: true with `number` set where it is a
  // DWORD of four bytes.
  virtual bool readNumber(const char* name, uint32_t& number) = 0;
  // Whether the key `path` under HKEY_LOCAL_MACHINE opens for reading.
  // The registry is read in the view of the system's bitness.
  virtual bool keyExists(const char* path) = 0;

 protected:
  ~SystemFacts() = default;
};

}  // namespace zepho
