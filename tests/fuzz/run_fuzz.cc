// Whole runs through the fakes, with every input chosen by the fuzzer:
// command line, version record, environment, kind of standard output and
// the write failures. Each run checks what must hold whatever the input.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "classify/release_tables.h"
#include "run_harness.h"

namespace {

using zepho::FileKind;
using zepho::testing::World;

void check(bool condition, int line) {
  if (condition) return;
  std::fprintf(stderr, "run_fuzz: the check on line %d failed\n", line);
  std::abort();
}
#define require(condition) check(condition, __LINE__)

// 0, 1 (also a failed write) and the statuses of the program's own tables.
bool isStatusOfTheTables(uint32_t status) {
  bool found = status <= 1 || status == zepho::kStatusNewerNt;
  for (const auto table : {zepho::verboseTable(), zepho::majorTable()}) {
    for (const auto& row : table) found |= status == row.status;
  }
  for (const auto& row : zepho::terminalTable()) found |= status == row.status;
  for (const auto& row : zepho::laterTable())
    found |= status == row.verboseStatus || status == row.majorStatus;
  return found;
}

void setEnvironment(FuzzedDataProvider& input, World& world, const char* name) {
  switch (input.ConsumeIntegralInRange<int>(0, 2)) {
    case 0:
      break;  // unset
    case 1:
      world.environment.values[name] = "";
      break;
    default:
      world.environment.values[name] = input.ConsumeRandomLengthString(1000);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  World world;
  zepho::VersionRecord& record = world.version.fill;
  record.majorVersion = input.ConsumeIntegral<uint32_t>();
  record.minorVersion = input.ConsumeIntegral<uint32_t>();
  record.buildNumber =
      input.ConsumeBool() ? input.PickValueInArray<uint32_t>({950, 951, 971, 1111, 1212, 1214, 1381,
                                                              1998, 2000, 2195, 2222, 2600, 3000})
                          : input.ConsumeIntegral<uint32_t>();
  record.platformId = input.ConsumeBool() ? input.ConsumeIntegralInRange<uint32_t>(0, 3)
                                          : input.ConsumeIntegral<uint32_t>();
  if (input.ConsumeBool()) world.version.productType = input.ConsumeIntegral<uint8_t>();
  const std::string csd = input.ConsumeBytesAsString(128);  // may fill all 128 bytes
  std::memcpy(record.csdVersion, csd.data(), csd.size());
  for (const char* name : {"EditionID", "InstallationType", "DisplayVersion", "ReleaseId", "UBR"}) {
    if (input.ConsumeBool()) {
      world.system.values[name] = {input.ConsumeIntegralInRange<uint32_t>(0, 4),
                                   input.ConsumeRandomLengthString(600)};
    }
  }
  world.system.wow64 = input.ConsumeBool();
  if (input.ConsumeBool()) world.system.wow64.reset();
  world.system.machine = input.ConsumeIntegral<uint16_t>();
  world.system.architecture = input.ConsumeIntegral<uint16_t>();
  world.system.miniNt = input.ConsumeBool();
  world.system.program64 = input.ConsumeBool();
  setEnvironment(input, world, "WINSTATIONNAME");
  setEnvironment(input, world, "SESSIONNAME");
  const FileKind kinds[] = {FileKind::Unknown, FileKind::Disk, FileKind::Char, FileKind::Pipe};
  world.output.outKind = input.PickValueInArray(kinds);
  if (input.ConsumeBool()) world.output.outHandle = zepho::kInvalidHandle;
  world.output.failFrom = input.ConsumeIntegralInRange<uint32_t>(0, 6);
  world.output.failCode = input.ConsumeIntegral<uint32_t>();
  world.output.shortFrom = input.ConsumeIntegralInRange<uint32_t>(0, 6);
  world.output.errorFails = input.ConsumeBool();
  world.process.line = input.ConsumeRemainingBytesAsString();
  world.process.line = world.process.line.c_str();  // the text ends at its first zero byte

  const uint32_t status = world.run();
  require(isStatusOfTheTables(status));  // also catches a run that ended other than exactly once

  // Standard output gets blocks of at most 128 bytes: on a console each
  // ends a line or fills the buffer; into a file or a pipe all but the last
  // fill it.
  const auto& handOvers = world.output.handOvers;
  for (size_t i = 0; i < handOvers.size(); ++i) {
    const std::string& block = handOvers[i];
    require(!block.empty() && block.size() <= 128);
    if (world.output.outKind == FileKind::Char) {
      require(block.size() == 128 || block.ends_with('\n'));  // CR LF may straddle two blocks
    } else if (i + 1 < handOvers.size()) {
      require(block.size() == 128);
    }
  }

  // A write that failed or fell short ends the run with status 1 and a
  // report, unless even standard error refuses it. Only the hand-over at the
  // orderly end of a run that went well keeps the run's status.
  size_t firstFailure = 0;
  for (size_t number = 1; number <= handOvers.size() && firstFailure == 0; ++number) {
    if ((world.output.failFrom != 0 && number >= world.output.failFrom) ||
        (world.output.shortFrom != 0 && number >= world.output.shortFrom)) {
      firstFailure = number;
    }
  }
  const bool reported = world.output.out.find("Exception EInOutError") != std::string::npos ||
                        world.output.err.find("Exception EInOutError") != std::string::npos;
  const bool opened =
      world.output.outHandle != zepho::kInvalidHandle && world.output.outKind != FileKind::Unknown;
  const bool quiet = world.output.calls.empty();
  if (!quiet && !opened) require(status == 1 && (reported || world.output.errorFails));
  if (firstFailure != 0) {
    if (firstFailure < handOvers.size()) require(status == 1);
    require(reported || world.output.errorFails);
  }
  if (firstFailure == 0 && opened) {
    // Nothing failed: whole lines, and nothing on standard error.
    require(world.output.out.empty() || world.output.out.ends_with("\r\n"));
    require(world.output.err.empty());
    // /SET prints only SET lines, each value at most 63 bytes that no shell
    // reads as anything but text, with no blank at either end.
    const std::string& out = world.output.out;
    for (size_t at = 0; out.starts_with("SET ZEPHO_STATUS=") && at < out.size();) {
      const size_t end = out.find("\r\n", at);
      const std::string line = out.substr(at, end - at);
      const std::string text = line.substr(line.find('=') + 1);
      require(line.starts_with("SET ZEPHO_") && text.size() <= 63);
      require(!text.starts_with(' ') && !text.ends_with(' '));
      require(text.find_first_not_of(
                  "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .-_/+") ==
              std::string::npos);
      at = end + 2;
    }
  }

  // The environment is read only for the two NT builds that have terminal
  // variants, one variable each, and at most once.
  const auto& names = world.environment.namesRead;
  require(names.size() <= 1);
  if (!names.empty()) {
    const uint16_t build = static_cast<uint16_t>(record.buildNumber);
    require(record.platformId == 2);
    require((build == 1381 && names[0] == "WINSTATIONNAME") ||
            (build == 2195 && names[0] == "SESSIONNAME"));
  }
  return 0;
}
