// Test launcher: runs zepho.exe once per case, each with an exact command-line
// text, environment, registry settings and standard output, and prints what
// came back. Cases come from a text file, one directive per line:
//
//   exe <path>                         the program to start
//   case <name>                        starts a case
//   reg set|del <key hex> <value> [<hex>]  a REG_SZ value; the key starts HKCU or HKLM
//   env set <NAME> <hex> | env unset <NAME>
//   stdout pipe|file|none|invalid|broken
//   cmd <hex>                          the command-line text, byte for byte
//   run                                starts the program and reports
//
// Each run prints "result <name> <status> <stdout hex> <stderr hex>" and
// undoes its environment changes. Registry changes stay until changed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string fromHex(const char* hex) {
  std::string bytes;
  for (; hex[0] != '\0' && hex[1] != '\0'; hex += 2) {
    const char pair[3] = {hex[0], hex[1], '\0'};
    bytes += static_cast<char>(std::strtoul(pair, nullptr, 16));
  }
  return bytes;
}

std::string toHex(const std::string& bytes) {
  std::string hex;
  char pair[3];
  for (unsigned char c : bytes) {
    std::snprintf(pair, sizeof pair, "%02x", c);
    hex += pair;
  }
  return hex.empty() ? "-" : hex;
}

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "launcher: %s failed (error %lu)\n", what, GetLastError());
  std::exit(250);
}

HKEY openKey(const std::string& path) {
  HKEY root = HKEY_CURRENT_USER;
  std::string rest = path;
  if (path.rfind("HKLM\\", 0) == 0) root = HKEY_LOCAL_MACHINE;
  rest = path.substr(5);
  HKEY key;
  if (RegCreateKeyExA(root, rest.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    fail("RegCreateKeyExA");
  }
  return key;
}

std::string readAll(HANDLE handle) {
  std::string bytes;
  char chunk[4096];
  DWORD count;
  while (ReadFile(handle, chunk, sizeof chunk, &count, nullptr) && count != 0) bytes.append(chunk, count);
  return bytes;
}

struct Case {
  std::string name;
  std::string commandLine;
  std::string stdoutMode = "pipe";
  std::vector<std::pair<std::string, std::string>> savedEnv;  // name, value ("\x01" = unset)
};

void saveEnv(Case& c, const std::string& name) {
  char value[32768];
  const DWORD n = GetEnvironmentVariableA(name.c_str(), value, sizeof value);
  c.savedEnv.emplace_back(name, n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND
                                    ? std::string("\x01")
                                    : std::string(value, n));
}

void run(const std::string& exe, Case& c) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE outRead = nullptr, outWrite = nullptr, errRead, errWrite;
  if (!CreatePipe(&errRead, &errWrite, &inherit, 65536)) fail("CreatePipe");
  char fileName[MAX_PATH] = "";
  if (c.stdoutMode == "pipe" || c.stdoutMode == "broken") {
    if (!CreatePipe(&outRead, &outWrite, &inherit, 65536)) fail("CreatePipe");
    if (c.stdoutMode == "broken") {
      CloseHandle(outRead);
      outRead = nullptr;
    }
  } else if (c.stdoutMode == "file") {
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    GetTempFileNameA(dir, "zep", 0, fileName);
    outWrite = CreateFileA(fileName, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    if (outWrite == INVALID_HANDLE_VALUE) fail("CreateFileA");
  } else if (c.stdoutMode == "invalid") {
    outWrite = INVALID_HANDLE_VALUE;
  }
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  PROCESS_INFORMATION process;
  std::vector<char> line(c.commandLine.begin(), c.commandLine.end());
  line.push_back('\0');
  if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process)) {
    fail("CreateProcessA");
  }
  if (outWrite != nullptr && outWrite != INVALID_HANDLE_VALUE) CloseHandle(outWrite);
  CloseHandle(errWrite);
  std::string out;
  if (outRead != nullptr) out = readAll(outRead);
  const std::string err = readAll(errRead);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  if (outRead != nullptr) CloseHandle(outRead);
  CloseHandle(errRead);
  if (fileName[0] != '\0') {
    HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    out = readAll(file);
    CloseHandle(file);
    DeleteFileA(fileName);
  }
  std::printf("result %s %lu %s %s\n", c.name.c_str(), status, toHex(out).c_str(), toHex(err).c_str());
  std::fflush(stdout);
  for (auto it = c.savedEnv.rbegin(); it != c.savedEnv.rend(); ++it) {
    SetEnvironmentVariableA(it->first.c_str(), it->second == "\x01" ? nullptr : it->second.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: launcher CASEFILE\n");
    return 250;
  }
  FILE* input = std::fopen(argv[1], "r");
  if (input == nullptr) fail("fopen");
  std::string exe;
  Case current;
  char text[16384];
  while (std::fgets(text, sizeof text, input) != nullptr) {
    text[std::strcspn(text, "\r\n")] = '\0';
    char* words[6] = {};
    int count = 0;
    for (char* word = std::strtok(text, " "); word != nullptr && count < 6; word = std::strtok(nullptr, " ")) {
      words[count++] = word;
    }
    if (count == 0) continue;
    const std::string verb = words[0];
    if (verb == "exe" && count == 2) {
      exe = words[1];
    } else if (verb == "case" && count == 2) {
      current = Case();
      current.name = words[1];
    } else if (verb == "reg" && count >= 4) {
      HKEY key = openKey(fromHex(words[2]));
      if (std::strcmp(words[1], "set") == 0 && count == 5) {
        const std::string value = fromHex(words[4]);
        RegSetValueExA(key, words[3], 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
      } else {
        RegDeleteValueA(key, words[3]);
      }
      RegCloseKey(key);
    } else if (verb == "env" && count >= 3) {
      saveEnv(current, words[2]);
      const bool set = std::strcmp(words[1], "set") == 0 && count == 4;
      SetEnvironmentVariableA(words[2], set ? fromHex(words[3]).c_str() : nullptr);
    } else if (verb == "stdout" && count == 2) {
      current.stdoutMode = words[1];
    } else if (verb == "cmd") {
      current.commandLine = count == 2 ? fromHex(words[1]) : "";
    } else if (verb == "run") {
      run(exe, current);
    } else {
      std::fprintf(stderr, "launcher: cannot read '%s'\n", words[0]);
      return 250;
    }
  }
  return 0;
}
