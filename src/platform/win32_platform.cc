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

}  // namespace zepho
