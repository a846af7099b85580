// Test doubles for the platform: they record every call and inject faults.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace zepho::testing {

class FakeVersion : public VersionSource {
 public:
  void query(VersionRecord& record) override;
  bool queryEx(VersionRecordEx& record) override;

  VersionRecord fill{};                // copied over the record, all but its size
  std::optional<uint8_t> productType;  // in the longer record; none: that query is refused
  std::vector<uint32_t> sizesSeen;     // the size field at each query, of either form
};

class FakeEnvironment : public EnvironmentSource {
 public:
  uint32_t read(const char* name, char* buffer, uint32_t size) override;

  std::map<std::string, std::string> values;
  std::vector<std::string> namesRead;
};

class FakeOutput : public OutputPort {
 public:
  static constexpr Handle kOut = 0x10;
  static constexpr Handle kErr = 0x20;

  Handle standardOutput() override;
  Handle standardError() override;
  FileKind kind(Handle handle) override;
  bool write(Handle handle, const char* data, uint32_t size, uint32_t& written) override;
  uint32_t lastError() override { return lastError_; }
  void close(Handle handle) override;

  // What the fake hands out and how it fails.
  Handle outHandle = kOut;
  FileKind outKind = FileKind::Pipe;
  Handle errHandle = kErr;
  uint32_t failFrom = 0;    // standard-output hand-overs from this one (1-based) ...
  uint32_t failTo = ~0u;    // ... to this one fail ...
  uint32_t failCode = 0;    // ... with this code
  uint32_t shortFrom = 0;   // hand-overs from this one ...
  uint32_t shortTo = ~0u;   // ... to this one take one byte less
  bool errorFails = false;  // every write to standard error fails

  // What it saw.
  std::vector<std::string> handOvers;  // each standard-output write, failed ones too
  std::string out;                     // the bytes standard output took
  std::string err;                     // the bytes standard error took
  std::vector<std::string> calls;      // every call, in order

 private:
  uint32_t lastError_ = 0;
};

class FakeProcess : public ProcessPort {
 public:
  const char* commandLine() override { return line.c_str(); }
  uint32_t programFileName(char* buffer, uint32_t size) override;
  void exit(uint32_t status) override { exits.push_back(status); }

  std::string line = "zepho.exe";
  std::string fileName = "C:\\TOOLS\\ZEPHO.EXE";
  bool cutsLikeVista = false;  // a name that does not fit: XP's cut, or Vista's
  std::vector<uint32_t> exits;
};

// A version record with the fields the program reads.
VersionRecord record(uint32_t platformId, uint32_t major, uint32_t minor, uint32_t build,
                     const std::string& csd = "");

}  // namespace zepho::testing
