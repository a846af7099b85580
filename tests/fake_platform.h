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

// The run-time lookups and the calls through what they found share one log,
// in the order Win32 makes them: "LoadLibraryA ADVAPI32.DLL", "GetProcAddress
// RegOpenKeyExA", "IsWow64Process", "RegOpenKeyExA <path> 64",
// "RegQueryValueExA EditionID", "RegCloseKey".
class FakeLookup : public RuntimeLookup {
 public:
  FunctionAddress find(const char* library, const char* function) override;
  // The address the fake gives `function`, found or not.
  static FunctionAddress addressOf(const std::string& function);

  std::set<std::string> missing;  // libraries, and LIBRARY!Function, that are not there
  std::vector<std::string> calls;
};

class FakeSystem : public SystemSource {
 public:
  bool is64BitProgram() override { return program64; }
  bool isWow64(FunctionAddress isWow64Process, bool& wow64) override;
  bool nativeMachine(FunctionAddress isWow64Process2, uint16_t& machine) override;
  uint16_t nativeArchitecture(FunctionAddress getNativeSystemInfo) override;
  uint32_t read(const RegistryFunctions& functions, const char* path, bool view64, const char* name,
                const char*& data, uint32_t& size) override;
  bool keyExists(const RegistryFunctions& functions, const char* path, bool view64) override;

  struct Value {
    uint32_t type;
    std::string data;  // a text's size counts a zero after it, as Windows stores it
  };
  bool program64 = false;                    // a 64-bit build of zepho
  std::optional<bool> wow64 = false;         // none: IsWow64Process fails
  std::optional<uint16_t> machine = 0x014C;  // IsWow64Process2's native machine; none: it fails
  uint16_t architecture = 0;                 // GetNativeSystemInfo's
  bool openFails = false;
  bool miniNt = false;                  // Windows PE's key is there
  std::map<std::string, Value> values;  // of the CurrentVersion key; a read of any other fails
  std::vector<std::string>* log = nullptr;

 private:
  // Logs the call; false when `function` is not the one it must be.
  bool called(FunctionAddress function, const char* name, const std::string& details);
  // RegOpenKeyExA: false when it fails.
  bool open(const RegistryFunctions& functions, const char* path, bool view64);
};

// A version record with the fields the program reads.
VersionRecord record(uint32_t platformId, uint32_t major, uint32_t minor, uint32_t build,
                     const std::string& csd = "");

}  // namespace zepho::testing
