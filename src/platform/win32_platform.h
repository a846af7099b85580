// The platform interfaces on Win32, each a thin wrapper of KERNEL32.
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

class Win32Registry final : public RegistrySource {
 public:
  bool isWow64(FunctionAddress isWow64Process) override;
  uint32_t read(const RegistryFunctions& functions, const char* path, bool view64, const char* name,
                const char*& data, uint32_t& size) override;

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
