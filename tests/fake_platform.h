// Test doubles for the platform: they record every call and inject faults.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
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
  uint16_t servicePackMajor = 0;       // in the longer record
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

// The system's facts as the Win32 side finds them, logging its calls in
// the order it makes them: "LoadLibraryA ADVAPI32.DLL", "GetProcAddress
// RegOpenKeyExA", "IsWow64Process", "RegOpenKeyExA <path> 64",
// "RegQueryValueExA EditionID", "RegCloseKey".
class FakeSystem : public SystemFacts {
 public:
  Bitness bitness() override;
  Processor processor() override;
  const char* readText(const char* name) override;
  bool readNumber(const char* name, uint32_t& number) override;
  bool keyExists(const char* path) override;

  struct Value {
    uint32_t type;     // 1 for a text, 4 for a DWORD
    std::string data;  // a text's size counts a zero after it, as Windows stores it
  };
  std::set<std::string> missing;             // libraries, and LIBRARY!Function, that are not there
  bool program64 = false;                    // a 64-bit build of zepho
  std::optional<bool> wow64 = false;         // none: IsWow64Process fails
  std::optional<uint16_t> machine = 0x014C;  // IsWow64Process2's native machine; none: it fails
  uint16_t architecture = 0;                 // GetNativeSystemInfo's
  bool openFails = false;
  bool miniNt = false;                  // Windows PE's key is there
  std::map<std::string, Value> values;  // of the CurrentVersion key
  std::vector<std::string> calls;

 private:
  // Looks `function` up in `library` once; false where either is missing.
  bool find(const std::string& library, const std::string& function);
  bool registryThere();
  bool open(const std::string& path);
  // The value, read from the open CurrentVersion key; null where it cannot be.
  const Value* read(const char* name);

  std::set<std::string> loaded_;
  std::optional<Bitness> bitness_;
  std::optional<bool> registry_;
  std::optional<bool> currentVersion_;
};

// A version record with the fields the program reads.
VersionRecord record(uint32_t platformId, uint32_t major, uint32_t minor, uint32_t build,
                     const std::string& csd = "");

}  // namespace zepho::testing
