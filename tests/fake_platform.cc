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
  const char* known[] = {"IsWow64Process", "RegOpenKeyExA",   "RegQueryValueExA",
                         "RegCloseKey",    "IsWow64Process2", "GetNativeSystemInfo"};
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

bool FakeSystem::called(FunctionAddress function, const char* name, const std::string& details) {
  log->push_back(name + details);
  return function == FakeLookup::addressOf(name);
}

bool FakeSystem::isWow64(FunctionAddress isWow64Process, bool& result) {
  if (!called(isWow64Process, "IsWow64Process", "") || !wow64) return false;
  result = *wow64;
  return true;
}

bool FakeSystem::nativeMachine(FunctionAddress isWow64Process2, uint16_t& result) {
  if (!called(isWow64Process2, "IsWow64Process2", "") || !machine) return false;
  result = *machine;
  return true;
}

uint16_t FakeSystem::nativeArchitecture(FunctionAddress getNativeSystemInfo) {
  return called(getNativeSystemInfo, "GetNativeSystemInfo", "") ? architecture : 0xFFFF;
}

bool FakeSystem::open(const RegistryFunctions& functions, const char* path, bool view64) {
  return called(functions[kRegOpenKeyEx], "RegOpenKeyExA",
                std::string(" ") + path + (view64 ? " 64" : " 32")) &&
         !openFails;
}

uint32_t FakeSystem::read(const RegistryFunctions& functions, const char* path, bool view64,
                          const char* name, const char*& data, uint32_t& size) {
  if (!open(functions, path, view64)) return 0;
  const auto found = values.find(name);
  const bool read =
      called(functions[kRegQueryValueEx], "RegQueryValueExA", std::string(" ") + name);
  called(functions[kRegCloseKey], "RegCloseKey", "");
  if (!read || found == values.end()) return 0;
  const Value& value = found->second;
  const size_t stored = value.data.size() + (value.type == kRegistryText ? 1 : 0);
  if (stored > kRegistryValueBytes) return 0;
  data = value.data.c_str();
  size = static_cast<uint32_t>(stored);
  return value.type;
}

bool FakeSystem::keyExists(const RegistryFunctions& functions, const char* path, bool view64) {
  if (!open(functions, path, view64) || !miniNt) return false;
  called(functions[kRegCloseKey], "RegCloseKey", "");
  return true;
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
