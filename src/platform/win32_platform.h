// The platform interfaces on Win32: thin wrappers of KERNEL32 and of the
// functions found while running.
#pragma once

#include "platform/platform.h"

namespace zepho {

class Win32Version final : public VersionSource {
 public:
  void query(VersionRecord& record) override;
  bool queryEx(VersionRecordEx& record) override;
};

class Win32Environment final : public EnvironmentSource {
 public:
  uint32_t read(const char* name, char* buffer, uint32_t size) override;
};

class Win32Output final : public OutputPort {
 public:
  Handle standardOutput() override;
  Handle standardError() override;
  FileKind kind(Handle handle) override;
  bool write(Handle handle, const char* data, uint32_t size, uint32_t& written) override;
  uint32_t lastError() override;
  void close(Handle handle) override;
};

class Win32Lookup final : public RuntimeLookup {
 public:
  FunctionAddress find(const char* library, const char* function) override;
};

class Win32System final : public SystemSource {
 public:
  bool is64BitProgram() override;
  bool isWow64(FunctionAddress isWow64Process, bool& wow64) override;
  bool nativeMachine(FunctionAddress isWow64Process2, uint16_t& machine) override;
  uint16_t nativeArchitecture(FunctionAddress getNativeSystemInfo) override;
  uint32_t read(const RegistryFunctions& functions, const char* path, bool view64, const char* name,
                const char*& data, uint32_t& size) override;
  bool keyExists(const RegistryFunctions& functions, const char* path, bool view64) override;

 private:
  char buffer_[kRegistryValueBytes + 1];
};

class Win32Process final : public ProcessPort {
 public:
  const char* commandLine() override;
  uint32_t programFileName(char* buffer, uint32_t size) override;
  void exit(uint32_t status) override;
};

}  // namespace zepho
