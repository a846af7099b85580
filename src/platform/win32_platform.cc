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

// The functions as they are called: stdcall, as Windows exports them.
using IsWow64ProcessCall = BOOL(WINAPI*)(HANDLE, BOOL*);
using RegOpenKeyExCall = LONG(WINAPI*)(HKEY, const char*, DWORD, REGSAM, HKEY*);
using RegQueryValueExCall = LONG(WINAPI*)(HKEY, const char*, DWORD*, DWORD*, BYTE*, DWORD*);
using RegCloseKeyCall = LONG(WINAPI*)(HKEY);

bool Win32Registry::isWow64(FunctionAddress isWow64Process) {
  BOOL wow64 = FALSE;
  // This process's own pseudo-handle, as GetCurrentProcess gives it.
  const HANDLE self = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
  return reinterpret_cast<IsWow64ProcessCall>(isWow64Process)(self, &wow64) != FALSE &&
         wow64 != FALSE;
}

uint32_t Win32Registry::read(const RegistryFunctions& functions, const char* path, bool view64,
                             const char* name, const char*& data, uint32_t& size) {
  HKEY key = nullptr;
  const REGSAM access = KEY_QUERY_VALUE | (view64 ? KEY_WOW64_64KEY : 0);
  if (reinterpret_cast<RegOpenKeyExCall>(functions[kRegOpenKeyEx])(HKEY_LOCAL_MACHINE, path, 0,
                                                                   access, &key) != ERROR_SUCCESS) {
    return 0;
  }
  DWORD type = 0;
  DWORD count = kRegistryValueBytes;
  const LONG result = reinterpret_cast<RegQueryValueExCall>(functions[kRegQueryValueEx])(
      key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer_), &count);
  reinterpret_cast<RegCloseKeyCall>(functions[kRegCloseKey])(key);
  if (result != ERROR_SUCCESS) return 0;
  buffer_[count] = '\0';
  data = buffer_;
  size = count;
  return type;
}

}  // namespace zepho
