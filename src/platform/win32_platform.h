// The platform interfaces on Win32 but the system's facts: thin wrappers
// of KERNEL32.
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

class Win32Process final : public ProcessPort {
 public:
  const char* commandLine() override;
  uint32_t programFileName(char* buffer, uint32_t size) override;
  void exit(uint32_t status) override;
};

}  // namespace zepho
