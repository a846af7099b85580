#include "platform/win32_platform.h"

#include <windows.h>

#include <cstddef>

namespace zepho {
namespace {

HANDLE toWin32(Handle handle) {
  return reinterpret_cast<HANDLE>(handle);
}
Handle fromWin32(HANDLE handle) {
  return reinterpret_cast<Handle>(handle);
}

}  // namespace

// The records are laid out as OSVERSIONINFOA and OSVERSIONINFOEXA, byte for byte.
static_assert(sizeof(OSVERSIONINFOA) == sizeof(VersionRecord));
static_assert(sizeof(OSVERSIONINFOEXA) == sizeof(VersionRecordEx));
static_assert(offsetof(OSVERSIONINFOEXA, wProductType) == offsetof(VersionRecordEx, productType));

void Win32Version::query(VersionRecord& record) {
  GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&record));
}

bool Win32Version::queryEx(VersionRecordEx& record) {
  return GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&record)) != FALSE;
}

uint32_t Win32Environment::read(const char* name, char* buffer, uint32_t size) {
  return GetEnvironmentVariableA(name, buffer, size);
}

Handle Win32Output::standardOutput() {
  return fromWin32(GetStdHandle(STD_OUTPUT_HANDLE));
}

Handle Win32Output::standardError() {
  return fromWin32(GetStdHandle(STD_ERROR_HANDLE));
}

FileKind Win32Output::kind(Handle handle) {
  return static_cast<FileKind>(GetFileType(toWin32(handle)));
}

bool Win32Output::write(Handle handle, const char* data, uint32_t size, uint32_t& written) {
  DWORD count = 0;
  const BOOL ok = WriteFile(toWin32(handle), data, size, &count, nullptr);
  written = count;
  return ok != FALSE;
}

uint32_t Win32Output::lastError() {
  return GetLastError();
}

void Win32Output::close(Handle handle) {
  CloseHandle(toWin32(handle));
}

const char* Win32Process::commandLine() {
  const char* line = GetCommandLineA();
  return line != nullptr ? line : "";
}

uint32_t Win32Process::programFileName(char* buffer, uint32_t size) {
  return GetModuleFileNameA(nullptr, buffer, size);
}

void Win32Process::exit(uint32_t status) {
  ExitProcess(status);
}

// KERNEL32.DLL is loaded in every process, so naming it finds that copy;
// ADVAPI32.DLL is a known DLL wherever it is asked for (NT 6.0 on), which
// Windows loads from its own folder only, never from the current one or
// the PATH.
FunctionAddress Win32Lookup::find(const char* library, const char* function) {
  const HMODULE module = LoadLibraryA(library);
  if (module == nullptr) return 0;
  return reinterpret_cast<FunctionAddress>(GetProcAddress(module, function));
}

// The functions as they are called: WINAPI, as Windows exports them.
using IsWow64ProcessCall = BOOL(WINAPI*)(HANDLE, BOOL*);
using IsWow64Process2Call = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
using GetNativeSystemInfoCall = void(WINAPI*)(SYSTEM_INFO*);
using RegOpenKeyExCall = LONG(WINAPI*)(HKEY, const char*, DWORD, REGSAM, HKEY*);
using RegQueryValueExCall = LONG(WINAPI*)(HKEY, const char*, DWORD*, DWORD*, BYTE*, DWORD*);
using RegCloseKeyCall = LONG(WINAPI*)(HKEY);

// This process's own pseudo-handle, as GetCurrentProcess gives it.
const HANDLE kThisProcess = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));

// The one place that knows which build this is: a pointer's size.
bool Win32System::is64BitProgram() {
  return sizeof(void*) == 8;
}

bool Win32System::isWow64(FunctionAddress isWow64Process, bool& wow64) {
  BOOL result = FALSE;
  if (reinterpret_cast<IsWow64ProcessCall>(isWow64Process)(kThisProcess, &result) == FALSE) {
    return false;
  }
  wow64 = result != FALSE;
  return true;
}

bool Win32System::nativeMachine(FunctionAddress isWow64Process2, uint16_t& machine) {
  USHORT process = 0;
  USHORT native = 0;
  if (reinterpret_cast<IsWow64Process2Call>(isWow64Process2)(kThisProcess, &process, &native) ==
      FALSE) {
    return false;
  }
  machine = native;
  return true;
}

uint16_t Win32System::nativeArchitecture(FunctionAddress getNativeSystemInfo) {
  SYSTEM_INFO info;
  info.wProcessorArchitecture = PROCESSOR_ARCHITECTURE_UNKNOWN;
  reinterpret_cast<GetNativeSystemInfoCall>(getNativeSystemInfo)(&info);
  return info.wProcessorArchitecture;
}

namespace {

HKEY openKey(const RegistryFunctions& functions, const char* path, bool view64) {
  HKEY key = nullptr;
  const REGSAM access = KEY_QUERY_VALUE | (view64 ? KEY_WOW64_64KEY : 0);
  if (reinterpret_cast<RegOpenKeyExCall>(functions[kRegOpenKeyEx])(HKEY_LOCAL_MACHINE, path, 0,
                                                                   access, &key) != ERROR_SUCCESS) {
    return nullptr;
  }
  return key;
}

void closeKey(const RegistryFunctions& functions, HKEY key) {
  reinterpret_cast<RegCloseKeyCall>(functions[kRegCloseKey])(key);
}

}  // namespace

uint32_t Win32System::read(const RegistryFunctions& functions, const char* path, bool view64,
                           const char* name, const char*& data, uint32_t& size) {
  const HKEY key = openKey(functions, path, view64);
  if (key == nullptr) return 0;
  DWORD type = 0;
  DWORD count = kRegistryValueBytes;
  // ERROR_MORE_DATA, for a value longer than the buffer, is a failure too.
  const LONG result = reinterpret_cast<RegQueryValueExCall>(functions[kRegQueryValueEx])(
      key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer_), &count);
  closeKey(functions, key);
  if (result != ERROR_SUCCESS || count > kRegistryValueBytes) return 0;
  buffer_[count] = '\0';
  data = buffer_;
  size = count;
  return type;
}

bool Win32System::keyExists(const RegistryFunctions& functions, const char* path, bool view64) {
  const HKEY key = openKey(functions, path, view64);
  if (key == nullptr) return false;
  closeKey(functions, key);
  return true;
}

}  // namespace zepho
