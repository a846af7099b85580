#include "run_harness.h"

#include "zepho.h"

namespace zepho::testing {

uint32_t World::run() {
  Platform platform{version, environment, output, process, system, build};
  zepho::run(platform);
  return process.exits.size() == 1 ? process.exits.front() : kNoSingleExit;
}

std::string crlf(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) text.append(line).append("\r\n");
  return text;
}

std::string reportLines(std::string_view platform, std::string_view major, std::string_view minor,
                        std::string_view build, std::string_view csd) {
  const std::string p = "Platform        : " + std::string(platform);
  const std::string ma = "Major Version   : " + std::string(major);
  const std::string mi = "Minor Version   : " + std::string(minor);
  const std::string b = "Build           : " + std::string(build);
  const std::string c = "CSD Version     : " + std::string(csd);
  return crlf({" ", p, ma, mi, b, c, " "});
}

}  // namespace zepho::testing
