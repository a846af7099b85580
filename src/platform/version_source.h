// The platform's version record and the source that fills it.
#pragma once

#include <cstdint>

namespace zepho {

// The 148-byte record that GetVersionExA fills, field for field.
struct VersionRecord {
  uint32_t size;  // set to sizeof(VersionRecord) before the query
  uint32_t majorVersion;
  uint32_t minorVersion;
  uint32_t buildNumber;
  uint32_t platformId;
  char csdVersion[128];  // service-pack text; not always zero-terminated
};
static_assert(sizeof(VersionRecord) == 148);

// Fills a version record whose size field is set; the result is not reported.
class VersionSource {
 public:
  virtual void query(VersionRecord& record) = 0;

 protected:
  ~VersionSource() = default;
};

}  // namespace zepho
