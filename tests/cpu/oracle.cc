// The host-built logic under the test fakes, as a filter: one scenario per
// input line, one outcome per output line. The emulated-CPU rows compare
// the shipped zepho.exe with it.
//
// In:  28 tab-separated fields: command line (hex), platform, major, minor,
//      build, CSD (hex), WINSTATIONNAME and SESSIONNAME (hex, or - when
//      unset), kind of standard output, its handle (-1 for an invalid one),
//      failFrom, failTo, failCode, shortFrom, shortTo, errorFails (0/1),
//      module file name (hex), product type of the longer version record
//      (- when that query is refused), a cut module name like Vista's (0/1),
//      its service pack's major number, what run-time lookups miss
//      (comma-separated, or -), what IsWow64Process says (0/1, - when it
//      fails), a failing RegOpenKeyExA (0/1), and the CurrentVersion key's
//      values as name:type:data (hex), comma-separated, or -; IsWow64Process2's
//      native machine (- when it fails), GetNativeSystemInfo's processor
//      architecture, Windows PE's key there (0/1), and the build's processor
//      (x86, x64 or ARM64).
// Out: status, standard output (hex), standard error (hex), the calls, the
//      environment names read, the sizes of the hand-overs, the size field
//      at each version query and the run-time lookups with the calls
//      through what they found (the last five comma-separated),
//      tab-separated.
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "run_harness.h"

namespace {

using zepho::testing::World;

std::string fromHex(const std::string& hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<char>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

std::string toHex(const std::string& bytes) {
  std::string hex;
  char pair[3];
  for (const char byte : bytes) {
    std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(byte));
    hex += pair;
  }
  return hex;
}

template <typename List, typename Show>
std::string joined(const List& items, Show show) {
  std::string text;
  for (const auto& item : items) text += (text.empty() ? "" : ",") + show(item);
  return text;
}

uint32_t number(const std::string& text) {
  return static_cast<uint32_t>(std::stoul(text, nullptr, 0));
}

}  // namespace

int main() {
  std::string line;
  while (std::getline(std::cin, line)) {
    std::vector<std::string> f;
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, '\t');) f.push_back(field);
    if (!line.empty() && line.back() == '\t') f.emplace_back();  // an empty last field
    if (f.size() != 28) {
      std::cerr << "oracle: expected 28 fields, got " << f.size() << "\n";
      return 2;
    }
    World world;
    world.process.line = fromHex(f[0]);
    world.version.fill = zepho::testing::record(number(f[1]), number(f[2]), number(f[3]),
                                                number(f[4]), fromHex(f[5]));
    if (f[6] != "-") world.environment.values["WINSTATIONNAME"] = fromHex(f[6]);
    if (f[7] != "-") world.environment.values["SESSIONNAME"] = fromHex(f[7]);
    world.output.outKind = static_cast<zepho::FileKind>(number(f[8]));
    world.output.outHandle = f[9] == "-1" ? zepho::kInvalidHandle : number(f[9]);
    world.output.failFrom = number(f[10]);
    world.output.failTo = number(f[11]);
    world.output.failCode = number(f[12]);
    world.output.shortFrom = number(f[13]);
    world.output.shortTo = number(f[14]);
    world.output.errorFails = f[15] == "1";
    world.process.fileName = fromHex(f[16]);
    if (f[17] != "-") world.version.productType = static_cast<uint8_t>(number(f[17]));
    world.process.cutsLikeVista = f[18] == "1";
    world.version.servicePackMajor = static_cast<uint16_t>(number(f[19]));
    std::istringstream missing(f[20] == "-" ? "" : f[20]);
    for (std::string name; std::getline(missing, name, ',');) world.system.missing.insert(name);
    if (f[21] == "-")
      world.system.wow64.reset();
    else
      world.system.wow64 = f[21] == "1";
    world.system.openFails = f[22] == "1";
    std::istringstream values(f[23] == "-" ? "" : f[23]);
    for (std::string value; std::getline(values, value, ',');) {
      const size_t colon = value.find(':');
      const size_t second = value.find(':', colon + 1);
      const uint32_t type = number(value.substr(colon + 1, second - colon - 1));
      std::string data = fromHex(value.substr(second + 1));
      // The fake counts a text's ending zero itself.
      if (type == 1 && !data.empty() && data.back() == '\0') data.pop_back();
      world.system.values[value.substr(0, colon)] = {type, data};
    }
    if (f[24] == "-")
      world.system.machine.reset();
    else
      world.system.machine = static_cast<uint16_t>(number(f[24]));
    world.system.architecture = static_cast<uint16_t>(number(f[25]));
    world.system.miniNt = f[26] == "1";
    world.system.program64 = f[27] != "x86";
    // The build as /VERSION names it: the project's version and the exe of the processor.
    world.build = {ZEPHO_VERSION_TEXT,
                   f[27] == "x86"   ? "ZEPHO.EXE"
                   : f[27] == "x64" ? "ZEPHO64.EXE"
                                    : "ZEPHOA64.EXE",
                   f[27].c_str()};
    const uint32_t status = world.run();
    const auto& o = world.output;
    std::cout << status << '\t' << toHex(o.out) << '\t' << toHex(o.err) << '\t'
              << joined(o.calls, [](const auto& s) { return s; }) << '\t'
              << joined(world.environment.namesRead, [](const auto& s) { return s; }) << '\t'
              << joined(o.handOvers, [](const auto& s) { return std::to_string(s.size()); }) << '\t'
              << joined(world.version.sizesSeen, [](auto s) { return std::to_string(s); }) << '\t'
              << joined(world.system.calls, [](const auto& s) { return s; }) << '\n';
  }
  return 0;
}
