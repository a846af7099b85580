#include "fake_platform.h"

#include <algorithm>
#include <cstring>

namespace zepho::testing {

void FakeVersion::query(VersionRecord& record) {
  sizesSeen.push_back(record.size);
  const uint32_t size = record.size;
  record = fill;
  record.size = size;
}

bool FakeVersion::queryEx(VersionRecordEx& record) {
  query(record.base);  // records the size; after a refusal the caller reads nothing
  if (productType) record.productType = *productType;
  record.servicePackMajor = servicePackMajor;
  return productType.has_value();
}

FunctionAddress FakeLookup::addressOf(const std::string& function) {
  const char* known[] = {"IsWow64Process", "RegOpenKeyExA", "RegQueryValueExA", "RegCloseKey"};
  for (FunctionAddress i = 0; i < std::size(known); ++i) {
    if (function == known[i]) return 0x1000 + i;
  }
  return 0;
}

FunctionAddress FakeLookup::find(const char* library, const char* function) {
  calls.push_back(std::string("LoadLibraryA ") + library);
  if (missing.count(library) != 0) return 0;
  calls.push_back(std::string("GetProcAddress ") + function);
  if (missing.count(std::string(library) + "!" + function) != 0) return 0;
  return addressOf(function);
}

bool FakeRegistry::called(FunctionAddress function, const char* name, const std::string& details) {
  log->push_back(name + details);
  return function == FakeLookup::addressOf(name);
}

bool FakeRegistry::isWow64(FunctionAddress isWow64Process) {
  return called(isWow64Process, "IsWow64Process", "") && wow64.value_or(false);
}

uint32_t FakeRegistry::read(const RegistryFunctions& functions, const char* path, bool view64,
                            const char* name, const char*& data, uint32_t& size) {
  const bool opened = called(functions[kRegOpenKeyEx], "RegOpenKeyExA",
                             std::string(" ") + path + (view64 ? " 64" : " 32"));
  if (!opened || openFails) return 0;
  const auto found = values.find(name);
  const bool read =
      called(functions[kRegQueryValueEx], "RegQueryValueExA", std::string(" ") + name);
  called(functions[kRegCloseKey], "RegCloseKey", "");
  if (!read || found == values.end() || found->second.data.size() > kRegistryValueBytes) return 0;
  data = found->second.data.c_str();
  size = static_cast<uint32_t>(found->second.data.size());
  return found->second.type;
}

uint32_t FakeEnvironment::read(const char* name, char* buffer, uint32_t size) {
  namesRead.push_back(name);
  const auto found = values.find(name);
  if (found == values.end() || found->second.empty()) return 0;
  const std::string& value = found->second;
  if (value.size() + 1 > size) {
    // Like the platform: the needed size, and nothing usable in the buffer.
    std::memset(buffer, 0, size);
    return static_cast<uint32_t>(value.size() + 1);
  }
  std::memcpy(buffer, value.c_str(), value.size() + 1);
  return static_cast<uint32_t>(value.size());
}

Handle FakeOutput::standardOutput() {
  calls.push_back("GetStdHandle(out)");
  return outHandle;
}

Handle FakeOutput::standardError() {
  calls.push_back("GetStdHandle(err)");
  return errHandle;
}

FileKind FakeOutput::kind(Handle handle) {
  calls.push_back("GetFileType");
  return handle == outHandle ? outKind : FileKind::Unknown;
}

bool FakeOutput::write(Handle handle, const char* data, uint32_t size, uint32_t& written) {
  const std::string bytes(data, size);
  written = 0;
  if (handle == errHandle && handle != outHandle) {
    calls.push_back("WriteFile(err)");
    if (errorFails) {
      lastError_ = 6;
      return false;
    }
    err += bytes;
    written = size;
    return true;
  }
  calls.push_back("WriteFile(out)");
  handOvers.push_back(bytes);
  const auto number = static_cast<uint32_t>(handOvers.size());
  if (handle != outHandle) {
    lastError_ = 6;  // an invalid handle
    return false;
  }
  if (failFrom != 0 && number >= failFrom && number <= failTo) {
    lastError_ = failCode;
    return false;
  }
  written = shortFrom != 0 && number >= shortFrom && number <= shortTo ? size - 1 : size;
  out += bytes.substr(0, written);
  return true;
}

void FakeOutput::close(Handle) {
  calls.push_back("CloseHandle");
}

uint32_t FakeProcess::programFileName(char* buffer, uint32_t size) {
  const auto count = static_cast<uint32_t>(std::min<size_t>(fileName.size(), size));
  std::memcpy(buffer, fileName.data(), count);
  if (count < size) buffer[count] = '\0';
  if (count == size && cutsLikeVista) buffer[size - 1] = '\0';
  return count;
}

VersionRecord record(uint32_t platformId, uint32_t major, uint32_t minor, uint32_t build,
                     const std::string& csd) {
  VersionRecord r{};
  r.platformId = platformId;
  r.majorVersion = major;
  r.minorVersion = minor;
  r.buildNumber = build;
  std::memcpy(r.csdVersion, csd.data(), std::min(csd.size(), sizeof r.csdVersion));
  return r;
}

}  // namespace zepho::testing
