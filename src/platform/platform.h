// Everything the program reaches outside itself.
#pragma once

#include "platform/environment_source.h"
#include "platform/output_port.h"
#include "platform/process_port.h"
#include "platform/system_facts.h"
#include "platform/version_source.h"

namespace zepho {

// Which zepho this is: "2.3.0", "ZEPHO.EXE", "x86".
struct ProgramBuild {
  const char* version;
  const char* program;
  const char* processor;
};

struct Platform {
  VersionSource& version;
  EnvironmentSource& environment;
  OutputPort& output;
  ProcessPort& process;
  SystemFacts& system;
  const ProgramBuild& build;
};

}  // namespace zepho
