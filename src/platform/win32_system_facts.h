// The system's facts on Win32, from functions looked up while running.
#pragma once

#include <cstdint>

#include "platform/system_facts.h"

namespace zepho {

class Win32SystemFacts final : public SystemFacts {
 public:
  Bitness bitness() override;
  Processor processor() override;
  const char* readText(const char* name) override;
  bool readNumber(const char* name, uint32_t& number) override;
  bool keyExists(const char* path) override;

  static constexpr uint32_t kValueBytes = 512;

 private:
  enum Library : uint8_t { kKernel32, kAdvapi32 };
  // What was asked once already, a bit each.
  enum Asked : uint8_t {
    kKernel32Loaded = 1,
    kAdvapi32Loaded = 2,
    kBitnessAsked = 4,
    kRegistryFound = 8,
    kCurrentVersionOpened = 16,
  };

  // True the first time it is called for `what`.
  bool firstTime(uint8_t what);
  // Where `function` is in `library`; 0 where either is missing. Each
  // library is loaded once.
  uintptr_t find(Library library, const char* function);
  Bitness askBitness();
  // Whether every registry function is there, looked up at the first ask.
  bool registryThere();
  // The open key `path` under HKEY_LOCAL_MACHINE, or 0.
  uintptr_t openKey(const char* path);
  // The type of CurrentVersion's value `name`, held in value_ with a zero
  // byte after its `size` bytes; 0 where it cannot be read.
  uint32_t readValue(const char* name, uint32_t& size);

  // The members below are set before they are read, as asked_ tells, so
  // only asked_ starts at zero.
  uint8_t asked_ = 0;
  Bitness bitness_;
  uintptr_t libraries_[2];
  uintptr_t registry_[3];  // RegOpenKeyExA, RegQueryValueExA, RegCloseKey
  // Left open: the process ends soon after, and that closes it.
  uintptr_t currentVersion_;
  char value_[kValueBytes + 1];
};

}  // namespace zepho
