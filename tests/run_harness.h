// Whole runs of the program against the fakes.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "fake_platform.h"

namespace zepho::testing {

struct World {
  FakeVersion version;
  FakeEnvironment environment;
  FakeOutput output;
  FakeProcess process;
  FakeSystem system;
  ProgramBuild build{"9.8.7", "ZEPHO.EXE", "x86"};

  // Runs the program once; returns the exit status it ended with, or a
  // value no run can give when it ended other than exactly once.
  uint32_t run();
};

inline constexpr uint32_t kNoSingleExit = 0xDEADBEEF;

// The lines joined, each ended with CR LF.
std::string crlf(std::initializer_list<std::string_view> lines);

// The seven report lines for the given texts.
std::string reportLines(std::string_view platform, std::string_view major, std::string_view minor,
                        std::string_view build, std::string_view csd);

}  // namespace zepho::testing
