// A program that does nothing, built like zepho.exe: the yardstick for the
// cost of starting a process.
#include <windows.h>

extern "C" __attribute__((noreturn, used)) void noopStart() {
  ExitProcess(0);
}
