// Functions that not every Windows has, looked up while the program runs.
#pragma once

#include <cstdint>

namespace zepho {

// Where a function was found; 0 for nowhere.
using FunctionAddress = uintptr_t;

class RuntimeLookup {
 public:
  // The address of `function` in the system library `library`, which is
  // loaded by its name where it is not loaded yet; 0 where either is
  // missing. Only KERNEL32.DLL, which every process has loaded, and
  // ADVAPI32.DLL, a known DLL on every release that is asked, are named.
  virtual FunctionAddress find(const char* library, const char* function) = 0;

 protected:
  ~RuntimeLookup() = default;
};

}  // namespace zepho
