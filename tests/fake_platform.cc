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

bool FakeSystem::find(const std::string& library, const std::string& function) {
  if (loaded_.insert(library).second) calls.push_back("LoadLibraryA " + library);
  if (missing.count(library) != 0) return false;
  calls.push_back("GetProcAddress " + function);
  return missing.count(library + "!" + function) == 0;
}

Bitness FakeSystem::bitness() {
  if (!bitness_) {
    if (program64 || !find("KERNEL32.DLL", "IsWow64Process")) {
      bitness_ = program64 ? Bitness::k64 : Bitness::k32;
    } else {
      calls.push_back("IsWow64Process");
      bitness_ = !wow64 ? Bitness::kUnknown : *wow64 ? Bitness::k64 : Bitness::k32;
    }
  }
  return *bitness_;
}

Processor FakeSystem::processor() {
  uint16_t number = 0;
  bool byMachine = true;
  if (find("KERNEL32.DLL", "IsWow64Process2")) {
    calls.push_back("IsWow64Process2");
    if (!machine) return Processor::kUnknown;
    number = *machine;
  } else if (find("KERNEL32.DLL", "GetNativeSystemInfo")) {
    calls.push_back("GetNativeSystemInfo");
    number = architecture;
    byMachine = false;
  } else {
    return Processor::kX86;
  }
  const uint16_t machines[] = {0x014C, 0x8664, 0xAA64};
  const uint16_t architectures[] = {0, 9, 12};
  for (uint8_t i = 0; i < 3; ++i) {
    if ((byMachine ? machines[i] : architectures[i]) == number)
      return static_cast<Processor>(i + 1);
  }
  return Processor::kUnknown;
}

bool FakeSystem::registryThere() {
  if (!registry_) {
    registry_ = find("ADVAPI32.DLL", "RegOpenKeyExA") && find("ADVAPI32.DLL", "RegQueryValueExA") &&
                find("ADVAPI32.DLL", "RegCloseKey");
  }
  return *registry_;
}

bool FakeSystem::open(const std::string& path) {
  calls.push_back("RegOpenKeyExA " + path + (bitness() == Bitness::k64 ? " 64" : " 32"));
  return !openFails;
}

const FakeSystem::Value* FakeSystem::read(const char* name) {
  if (!currentVersion_) {
    currentVersion_ = registryThere() && open("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
  }
  if (!*currentVersion_) return nullptr;
  calls.push_back(std::string("RegQueryValueExA ") + name);
  const auto found = values.find(name);
  if (found == values.end()) return nullptr;
  const Value& value = found->second;
  const size_t stored = value.data.size() + (value.type == 1 ? 1 : 0);
  return stored <= 512 ? &value : nullptr;
}

const char* FakeSystem::readText(const char* name) {
  const Value* value = read(name);
  return value != nullptr && value->type == 1 ? value->data.c_str() : "";
}

bool FakeSystem::readNumber(const char* name, uint32_t& number) {
  const Value* value = read(name);
  if (value == nullptr || value->type != 4 || value->data.size() != 4) return false;
  std::memcpy(&number, value->data.data(), 4);
  return true;
}

bool FakeSystem::keyExists(const char* path) {
  if (!registryThere() || !open(path) || !miniNt) return false;
  calls.push_back("RegCloseKey");
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
