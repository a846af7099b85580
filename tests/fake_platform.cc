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
  return productType.has_value();
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
