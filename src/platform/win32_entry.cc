// The entry point of zepho.exe. There is no C runtime: the loader calls
// this function directly, and the process ends in ExitProcess.
#include "platform/win32_platform.h"
#include "platform/win32_system_facts.h"
#include "zepho.h"
#include "zepho_version.h"

namespace {
constexpr zepho::ProgramBuild kBuild{ZEPHO_VERSION_TEXT, ZEPHO_PROGRAM_TEXT, ZEPHO_PROCESSOR_TEXT};
}  // namespace

extern "C" __attribute__((noreturn, used)) void zephoStart() {
  zepho::Win32Version version;
  zepho::Win32Environment environment;
  zepho::Win32Output output;
  zepho::Win32Process process;
  zepho::Win32SystemFacts system;
  zepho::Platform platform{version, environment, output, process, system, kBuild};
  zepho::run(platform);
  __builtin_unreachable();
}
