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

// Values of VersionRecord::platformId.
inline constexpr uint32_t kPlatformWin32Windows = 1;  // the Windows 95 family
inline constexpr uint32_t kPlatformWin32Nt = 2;

// The 156-byte record that NT fills from 4.0 SP6 on when asked with this
// size; Windows 95, 98, ME and earlier NT refuse it.
struct VersionRecordEx {
  VersionRecord base;
  uint16_t servicePackMajor;
  uint16_t servicePackMinor;
  uint16_t suiteMask;
  uint8_t productType;  // 1 workstation, 2 domain controller, 3 server
  uint8_t reserved;
};
static_assert(sizeof(VersionRecordEx) == 156);

class VersionSource {
 public:
  // Fills a version record whose size field is set; the result is not reported.
  virtual void query(VersionRecord& record) = 0;
  // Fills the longer record whose size field is set; false when refused.
  virtual bool queryEx(VersionRecordEx& record) = 0;

 protected:
  ~VersionSource() = default;
};

}  // namespace zepho
