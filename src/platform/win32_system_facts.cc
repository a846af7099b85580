#include "platform/win32_system_facts.h"

#include <windows.h>

namespace zepho {
namespace {

// KERNEL32.DLL is loaded in every process, so naming it finds that copy.
// ADVAPI32.DLL is asked for only on NT 6.0 and later, where it is one of
// the system's known DLLs, which Windows loads from its own folder only,
// never from the current one or the PATH.
constexpr const char* kLibraries[] = {"KERNEL32.DLL", "ADVAPI32.DLL"};

constexpr const char* kRegistryFunctions[] = {"RegOpenKeyExA", "RegQueryValueExA", "RegCloseKey"};

// The functions as they are called: WINAPI, as Windows exports them.
using IsWow64ProcessCall = BOOL(WINAPI*)(HANDLE, BOOL*);
using IsWow64Process2Call = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
using GetNativeSystemInfoCall = void(WINAPI*)(SYSTEM_INFO*);
using RegOpenKeyExCall = LONG(WINAPI*)(HKEY, const char*, DWORD, REGSAM, HKEY*);
using RegQueryValueExCall = LONG(WINAPI*)(HKEY, const char*, DWORD*, DWORD*, BYTE*, DWORD*);
using RegCloseKeyCall = LONG(WINAPI*)(HKEY);

// This process's own pseudo-handle, as GetCurrentProcess gives it.
const HANDLE kThisProcess = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));

constexpr char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

// Each processor as IsWow64Process2 numbers it (IMAGE_FILE_MACHINE_*) and
// as GetNativeSystemInfo does (PROCESSOR_ARCHITECTURE_*).
struct ProcessorNumbers {
  uint16_t machine;
  uint16_t architecture;
  Processor processor;
};
constexpr ProcessorNumbers kProcessors[] = {
    {0x014C, 0, Processor::kX86}, {0x8664, 9, Processor::kX64}, {0xAA64, 12, Processor::kArm64}};

}  // namespace

bool Win32SystemFacts::firstTime(uint8_t what) {
  const bool first = (asked_ & what) == 0;
  asked_ |= what;
  return first;
}

uintptr_t Win32SystemFacts::find(Library library, const char* function) {
  if (firstTime(library == kKernel32 ? kKernel32Loaded : kAdvapi32Loaded)) {
    libraries_[library] = reinterpret_cast<uintptr_t>(LoadLibraryA(kLibraries[library]));
  }
  const auto module = reinterpret_cast<HMODULE>(libraries_[library]);
  if (module == nullptr) return 0;
  return reinterpret_cast<uintptr_t>(GetProcAddress(module, function));
}

Bitness Win32SystemFacts::bitness() {
  if (firstTime(kBitnessAsked)) bitness_ = askBitness();
  return bitness_;
}

Bitness Win32SystemFacts::askBitness() {
  // The one place that knows which build this is: a pointer's size.
  if (sizeof(void*) == 8) return Bitness::k64;
  const auto isWow64Process =
      reinterpret_cast<IsWow64ProcessCall>(find(kKernel32, "IsWow64Process"));
  // Every Windows that runs 32-bit programs on a 64-bit system has it.
  if (isWow64Process == nullptr) return Bitness::k32;
  BOOL wow64 = FALSE;
  if (isWow64Process(kThisProcess, &wow64) == FALSE) return Bitness::kUnknown;
  return wow64 != FALSE ? Bitness::k64 : Bitness::k32;
}

// IsWow64Process2 (Windows 10 1511 on) tells the processor even to an
// emulated x64 program on ARM64, where GetNativeSystemInfo (XP on) says
// x64; NT before both runs on x86 alone.
Processor Win32SystemFacts::processor() {
  uint16_t number = 0;
  bool byMachine = true;
  if (const auto isWow64Process2 =
          reinterpret_cast<IsWow64Process2Call>(find(kKernel32, "IsWow64Process2"))) {
    USHORT process = 0;
    if (isWow64Process2(kThisProcess, &process, &number) == FALSE) return Processor::kUnknown;
  } else if (const auto getNativeSystemInfo = reinterpret_cast<GetNativeSystemInfoCall>(
                 find(kKernel32, "GetNativeSystemInfo"))) {
    SYSTEM_INFO info;
    info.wProcessorArchitecture = PROCESSOR_ARCHITECTURE_UNKNOWN;
    getNativeSystemInfo(&info);
    number = info.wProcessorArchitecture;
    byMachine = false;
  } else {
    return Processor::kX86;
  }
  for (const ProcessorNumbers& numbers : kProcessors) {
    if ((byMachine ? numbers.machine : numbers.architecture) == number) return numbers.processor;
  }
  return Processor::kUnknown;
}

bool Win32SystemFacts::registryThere() {
  if (firstTime(kRegistryFound)) {
    registry_[2] = 0;
    for (uint8_t i = 0; i < 3; ++i) {
      registry_[i] = find(kAdvapi32, kRegistryFunctions[i]);
      if (registry_[i] == 0) return false;
    }
  }
  return registry_[2] != 0;
}

uintptr_t Win32SystemFacts::openKey(const char* path) {
  HKEY key = nullptr;
  const REGSAM access = KEY_QUERY_VALUE | (bitness() == Bitness::k64 ? KEY_WOW64_64KEY : 0);
  if (reinterpret_cast<RegOpenKeyExCall>(registry_[0])(HKEY_LOCAL_MACHINE, path, 0, access, &key) !=
      ERROR_SUCCESS) {
    return 0;
  }
  return reinterpret_cast<uintptr_t>(key);
}

uint32_t Win32SystemFacts::readValue(const char* name, uint32_t& size) {
  if (firstTime(kCurrentVersionOpened)) {
    currentVersion_ = registryThere() ? openKey(kCurrentVersionKey) : 0;
  }
  if (currentVersion_ == 0) return 0;
  DWORD type = 0;
  DWORD count = kValueBytes;
  // ERROR_MORE_DATA, for a value longer than the buffer, is a failure too.
  const LONG result = reinterpret_cast<RegQueryValueExCall>(registry_[1])(
      reinterpret_cast<HKEY>(currentVersion_), name, nullptr, &type,
      reinterpret_cast<BYTE*>(value_), &count);
  if (result != ERROR_SUCCESS || count > kValueBytes) return 0;
  value_[count] = '\0';
  size = count;
  return type;
}

const char* Win32SystemFacts::readText(const char* name) {
  uint32_t size = 0;
  return readValue(name, size) == REG_SZ ? value_ : "";
}

bool Win32SystemFacts::readNumber(const char* name, uint32_t& number) {
  uint32_t size = 0;
  if (readValue(name, size) != REG_DWORD || size != 4) return false;
  const auto* bytes = reinterpret_cast<const unsigned char*>(value_);
  number = uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
           uint32_t{bytes[3]} << 24;
  return true;
}

bool Win32SystemFacts::keyExists(const char* path) {
  if (!registryThere()) return false;
  const uintptr_t key = openKey(path);
  if (key == 0) return false;
  reinterpret_cast<RegCloseKeyCall>(registry_[2])(reinterpret_cast<HKEY>(key));
  return true;
}

}  // namespace zepho
