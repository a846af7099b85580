// The registry, and whether this 32-bit process runs on a 64-bit Windows,
// through functions that RuntimeLookup found.
#pragma once

#include <cstdint>

#include "platform/runtime_lookup.h"

namespace zepho {

// Types of registry values.
inline constexpr uint32_t kRegistryText = 1;   // REG_SZ
inline constexpr uint32_t kRegistryDword = 4;  // REG_DWORD
inline constexpr uint32_t kRegistryValueBytes = 512;

// ADVAPI32's functions that read a value, as found, in this order.
enum RegistryFunction { kRegOpenKeyEx, kRegQueryValueEx, kRegCloseKey, kRegistryFunctions };
using RegistryFunctions = FunctionAddress[kRegistryFunctions];

class RegistrySource {
 public:
  // Calls IsWow64Process for this process; false where it fails.
  virtual bool isWow64(FunctionAddress isWow64Process) = 0;
  // Opens `path` under HKEY_LOCAL_MACHINE for reading, in the 64-bit view
  // when `view64`, reads the value `name` and closes the key again. Returns
  // the value's type, with `data` pointing at its `size` bytes and a zero
  // byte after them, which stay until the next read; 0 when the key does
  // not open, or the value is absent or longer than kRegistryValueBytes.
  virtual uint32_t read(const RegistryFunctions& functions, const char* path, bool view64,
                        const char* name, const char*& data, uint32_t& size) = 0;

 protected:
  ~RegistrySource() = default;
};

}  // namespace zepho
