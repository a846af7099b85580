// What the system tells about this program's processor and its registry,
// through functions that RuntimeLookup found.
#pragma once

#include <cstdint>

#include "platform/runtime_lookup.h"

namespace zepho {

inline constexpr uint32_t kRegistryText = 1;   // REG_SZ
inline constexpr uint32_t kRegistryDword = 4;  // REG_DWORD
inline constexpr uint32_t kRegistryValueBytes = 512;

// ADVAPI32's functions that read a value, as found, in this order.
enum RegistryFunction { kRegOpenKeyEx, kRegQueryValueEx, kRegCloseKey, kRegistryFunctions };
using RegistryFunctions = FunctionAddress[kRegistryFunctions];

class SystemSource {
 public:
  // True for a build of zepho that is itself a 64-bit program, which only
  // a 64-bit Windows runs.
  virtual bool is64BitProgram() = 0;
  // Calls IsWow64Process for this process: false where it fails, else
  // true with `wow64` set.
  virtual bool isWow64(FunctionAddress isWow64Process, bool& wow64) = 0;
  // Calls IsWow64Process2 for this process: false where it fails, else
  // true with `machine` set to the system's own (an IMAGE_FILE_MACHINE_*).
  virtual bool nativeMachine(FunctionAddress isWow64Process2, uint16_t& machine) = 0;
  // Calls GetNativeSystemInfo; its processor architecture (a
  // PROCESSOR_ARCHITECTURE_*).
  virtual uint16_t nativeArchitecture(FunctionAddress getNativeSystemInfo) = 0;
  // Opens `path` under HKEY_LOCAL_MACHINE for reading, in the 64-bit view
  // when `view64`, reads the value `name` and closes the key again. Returns
  // the value's type, with `data` pointing at its `size` bytes and a zero
  // byte after them, which stay until the next read; 0 when the key does
  // not open, or the value is absent or longer than kRegistryValueBytes.
  virtual uint32_t read(const RegistryFunctions& functions, const char* path, bool view64,
                        const char* name, const char*& data, uint32_t& size) = 0;
  // Whether `path` under HKEY_LOCAL_MACHINE opens for reading; closes it.
  virtual bool keyExists(const RegistryFunctions& functions, const char* path, bool view64) = 0;

 protected:
  ~SystemSource() = default;
};

}  // namespace zepho
