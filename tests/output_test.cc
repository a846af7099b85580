#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "run_harness.h"

namespace zepho::testing {
namespace {

// The help screen, byte for byte; the Wine rows read the same file.
const std::string kHelp = [] {
  std::ifstream file(ZEPHO_TEST_DATA "/help.txt", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}();

// Help comes before everything else, then /VERSION's line: no version
// query, status 0.
TEST(Help, ScreenBytesEvenWhenQuiet) {
  for (const char* line : {"zepho /help", "zepho /quiet /HELP /verbose", "zepho /HelpMe",
                           "zepho /VERSION /HELP", "zepho /QUIET /version /ALL"}) {
    World world;
    world.process.line = line;
    world.version.fill = record(2, 5, 1, 2600);
    EXPECT_EQ(world.run(), 0u) << line;
    EXPECT_EQ(world.output.out,
              std::string(line).ends_with("/ALL") ? "zepho 9.8.7 ZEPHO.EXE x86\r\n" : kHelp);
    EXPECT_TRUE(world.version.sizesSeen.empty()) << line;
  }
}

// The sizes of the hand-overs to standard output.
std::vector<size_t> sizes(const FakeOutput& output) {
  std::vector<size_t> result;
  for (const auto& bytes : output.handOvers) result.push_back(bytes.size());
  return result;
}

TEST(HandOvers, ConsoleOnePerLine) {
  World world;
  world.output.outKind = FileKind::Char;
  world.process.line = "zepho /help";
  world.run();
  ASSERT_EQ(world.output.handOvers.size(), 39u);
  EXPECT_EQ(world.output.handOvers[3], "Usage: ZEPHO [/VERBOSE or /MAJOR] [/HELP] [/QUIET] \r\n");
  EXPECT_EQ(world.output.out, kHelp);
}

TEST(HandOvers, FileAndPipeInWholeBlocksThenTheRest) {
  for (const FileKind kind : {FileKind::Disk, FileKind::Pipe, FileKind::Remote}) {
    World world;
    world.output.outKind = kind;
    world.process.line = "zepho /help";
    world.run();
    std::vector<size_t> expected(kHelp.size() / 128, 128);
    expected.push_back(kHelp.size() % 128);
    EXPECT_EQ(sizes(world.output), expected);
    EXPECT_EQ(world.output.out, kHelp);
  }
}

TEST(HandOvers, ReportIntoPipeAtTheEnd) {
  World world;
  world.version.fill = record(1, 4, 10, 2222);
  EXPECT_EQ(world.run(), 3u);
  const size_t total = world.output.out.size();
  ASSERT_LT(total, 256u);
  EXPECT_EQ(sizes(world.output), (std::vector<size_t>{128, total - 128}));
}

struct FailureRow {
  const char* name;
  std::string commandLine;
  Handle outHandle;
  FileKind kind;
  uint32_t failFrom, failCode, shortFrom, shortTo;
  bool errorFails;
  // Expected.
  uint32_t status;
  std::string out;
  std::string err;
  std::vector<std::string> calls;
};

void PrintTo(const FailureRow& row, std::ostream* os) {
  *os << row.name;
}

class FailureTest : public ::testing::TestWithParam<FailureRow> {};

TEST_P(FailureTest, EndsAsReported) {
  const FailureRow& row = GetParam();
  World world;
  world.process.line = row.commandLine;
  world.version.fill = record(2, 5, 1, 2600, "Service Pack 3");
  world.output.outHandle = row.outHandle;
  world.output.outKind = row.kind;
  world.output.failFrom = row.failFrom;
  world.output.failCode = row.failCode;
  world.output.shortFrom = row.shortFrom;
  world.output.shortTo = row.shortTo;
  world.output.errorFails = row.errorFails;
  EXPECT_EQ(world.run(), row.status);
  EXPECT_EQ(world.output.out, row.out);
  EXPECT_EQ(world.output.err, row.err);
  if (!row.calls.empty()) {
    EXPECT_EQ(world.output.calls, row.calls);
  }
}

std::string dropLast(std::string text) {
  text.pop_back();
  return text;
}

std::string report(const char* place, const char* message) {
  return std::string("Exception EInOutError in module ZEPHO.EXE at ") + place + ".\n" + message;
}

const std::string kXpReport = reportLines("2", "5", "1", "2600", "Service Pack 3");
const std::string kXpLine = "Operating System: Windows XP Service Pack 3\r\n";
const Handle kOut = FakeOutput::kOut;
const std::string kFirstBlock = kHelp.substr(0, 128);
const std::vector<std::string> kNoOpen = {"GetStdHandle(out)", "GetStdHandle(err)",
                                          "WriteFile(err)"};

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Rows, FailureTest,
    ::testing::Values(
        FailureRow{"no_handle", "zepho", kInvalidHandle, FileKind::Pipe, 0, 0, 0, ~0u, false, 1, "", crlf({report("00000001", "I/O error 103.")}), kNoOpen},
        FailureRow{"null_handle", "zepho", kNoHandle, FileKind::Pipe, 0, 0, 0, ~0u, false, 1, "", crlf({report("00000001", "I/O error 103.")}), kNoOpen},
        FailureRow{"unknown_kind_closed_once", "zepho /help", kOut, FileKind::Unknown, 0, 0, 0, ~0u, false, 1, "", crlf({report("00000001", "I/O error 103.")}), {"GetStdHandle(out)", "GetFileType", "CloseHandle", "GetStdHandle(err)", "WriteFile(err)"}},
        FailureRow{"no_handle_no_stderr_either", "zepho", kInvalidHandle, FileKind::Pipe, 0, 0, 0, ~0u, true, 1, "", "", {}},
        // A pipe whose reader has gone: the first block fails, the report is
        // buffered, its hand-over at the end fails, and it goes to stderr.
        FailureRow{"pipe_reader_gone", "zepho /help", kOut, FileKind::Pipe, 1, 232, 0, ~0u, false, 1, "", crlf({report("00000006", "I/O error 232.")}), {}},
        FailureRow{"pipe_fails_on_second_block", "zepho /help", kOut, FileKind::Pipe, 2, 109, 0, ~0u, false, 1, kFirstBlock, crlf({report("00000009", "I/O error 109.")}), {}},
        FailureRow{"access_denied_console", "zepho", kOut, FileKind::Char, 1, 5, 0, ~0u, false, 1, "", crlf({report("00000001", "File access denied.")}), {}},
        FailureRow{"console_fails_from_third_line", "zepho", kOut, FileKind::Char, 3, 2, 0, ~0u, false, 1, crlf({" ", "Platform        : 2"}), crlf({report("00000003", "File not found.")}), {}},
        FailureRow{"console_fails_at_release_line", "zepho", kOut, FileKind::Char, 8, 2, 0, ~0u, false, 1, kXpReport, crlf({report("00000008", "File not found.")}), {}},
        FailureRow{"console_fails_in_status_list", "zepho /help", kOut, FileKind::Char, 15, 4, 0, ~0u, false, 1, kHelp.substr(0, kHelp.find("ERRORLEVEL 15")), crlf({report("0000000F", "Too many open files.")}), {}},
        FailureRow{"failure_without_code", "zepho", kOut, FileKind::Char, 1, 0, 0, ~0u, false, 1, "", crlf({report("00000001", "I/O error 29.")}), {}},
        // A short write is a full disk: that block is cut, the rest of its
        // line dropped, and the report follows once there is room again.
        FailureRow{"short_write_then_room", "zepho /help", kOut, FileKind::Disk, 0, 0, 1, 1, false, 1, kFirstBlock.substr(0, 127) + crlf({"", report("00000006", "Disk full.")}), "", {}},
        // Every block is short: the buffered report is cut too, and repeated
        // on stderr.
        FailureRow{ "disk_full_to_the_end", "zepho /help", kOut, FileKind::Disk, 0, 0, 1, ~0u, false, 1, kFirstBlock.substr(0, 127) + dropLast(crlf({"", report("00000006", "Disk full.")})), crlf({report("00000006", "Disk full.")}), {}},
        // A run that went well keeps its status when only the last block is lost.
        FailureRow{"last_block_lost_keeps_status", "zepho", kOut, FileKind::Disk, 2, 112, 0, ~0u, false, 7, (kXpReport + kXpLine).substr(0, 128), crlf({report("00000009", "I/O error 112.")}), {}},
        // Lines for a batch file to load get no report among them.
        FailureRow{"set_report_on_stderr_only", "zepho /SET", kOut, FileKind::Disk, 0, 0, 1, 1, false, 1, crlf({"SET ZEPHO_STATUS=7", "SET ZEPHO_RELEASE=Windows XP", "SET ZEPHO_PLATFORM=2", "SET ZEPHO_MAJOR=5", "SET ZEPHO_MINOR=1", "SET ZEPHO_BUILD=2"}), crlf({report("00000006", "Disk full.")}), {}},
        FailureRow{"last_block_lost_stderr_fails", "zepho", kOut, FileKind::Disk, 2, 112, 0, ~0u, true, 7, (kXpReport + kXpLine).substr(0, 128), "", {}}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

TEST(FailureReport, ModuleWithoutDirectoryAndLongPaths) {
  struct Row {
    std::string fileName, module;
    bool vista = false;
  };
  const Row rows[] = {{"C:\\TOOLS\\ZEPHO.EXE", "ZEPHO.EXE"},
                      {"zepho.exe", "zepho.exe"},
                      {"Z:/tmp/build/zepho.exe", "zepho.exe"},
                      {"A:ZEPHO.EXE", "ZEPHO.EXE"},
                      {"", "zepho.exe"},
                      {"C:\\" + std::string(257, 'd'), std::string(257, 'd')},
                      {"C:\\" + std::string(258, 'd'), "zepho.exe"},
                      {"C:\\" + std::string(258, 'd'), "zepho.exe", true}};
  for (const Row& row : rows) {
    World world;
    world.process.fileName = row.fileName;
    world.process.cutsLikeVista = row.vista;
    world.output.outHandle = kInvalidHandle;
    EXPECT_EQ(world.run(), 1u);
    EXPECT_EQ(world.output.err, "Exception EInOutError in module " + row.module +
                                    " at 00000001.\nI/O error 103.\r\n");
  }
}

// A report longer than the buffer fails on its way out as well, and so does
// the last hand-over: standard error still holds it exactly once.
TEST(FailureReport, LongReportOnceOnStandardError) {
  World world;
  world.process.fileName = "C:\\" + std::string(200, 'd');
  world.version.fill = record(2, 5, 1, 2600);
  world.output.failFrom = 1;
  world.output.failCode = 232;
  EXPECT_EQ(world.run(), 1u);
  EXPECT_EQ(world.output.err, crlf({"Exception EInOutError in module " + std::string(200, 'd') +
                                    " at 00000008.\nI/O error 232."}));
}

// No standard-error handle: the report is lost, not written to a handle that is not one.
TEST(FailureReport, NoStandardErrorHandle) {
  for (const Handle errHandle : {kNoHandle, kInvalidHandle}) {
    for (const auto& [outHandle, kind] : {std::pair{kInvalidHandle, FileKind::Pipe},
                                          {FakeOutput::kOut, FileKind::Char},
                                          {FakeOutput::kOut, FileKind::Disk}}) {
      World world;
      world.version.fill = record(2, 5, 1, 2600);  // more than one block of output
      world.output.errHandle = errHandle;
      world.output.outHandle = outHandle;
      world.output.outKind = kind;
      world.output.failFrom = 1;
      EXPECT_EQ(world.run(), 1u);
      EXPECT_EQ(world.output.err, "");
    }
  }
}

TEST(FailureReport, MessagesForKnownCodes) {
  const std::pair<uint32_t, const char*> rows[] = {{2, "File not found."},
                                                   {3, "Invalid filename."},
                                                   {4, "Too many open files."},
                                                   {5, "File access denied."},
                                                   {100, "Read beyond end of file."},
                                                   {101, "Disk full."},
                                                   {106, "Invalid numeric input."},
                                                   {6, "I/O error 6."},
                                                   {258, "I/O error 258."},  // 2 in its low byte
                                                   {261, "I/O error 261."},
                                                   {4294967295u, "I/O error 4294967295."}};
  for (const auto& [code, message] : rows) {
    World world;
    world.output.outKind = FileKind::Char;
    world.output.failFrom = 1;
    world.output.failCode = code;
    EXPECT_EQ(world.run(), 1u);
    EXPECT_EQ(world.output.err, crlf({report("00000001", message)})) << code;
  }
}

}  // namespace
}  // namespace zepho::testing
