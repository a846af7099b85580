#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>

#include "fake_platform.h"
#include "run_harness.h"
#include "version/version_report.h"

namespace zepho::testing {
namespace {

struct ReportRow {
  const char* name;
  VersionRecord record;
  std::string platform, major, minor, build, csd;
  uint16_t buildNumber;
};

void PrintTo(const ReportRow& row, std::ostream* os) {
  *os << row.name;
}

VersionRecord withCsdBytes(std::string bytes) {
  VersionRecord r = record(2, 5, 1, 2600);
  std::memcpy(r.csdVersion, bytes.data(), std::min(bytes.size(), sizeof r.csdVersion));
  return r;
}

const std::string k128(128, '\xE4');

class ReportTest : public ::testing::TestWithParam<ReportRow> {};

TEST_P(ReportTest, BuildsTexts) {
  const ReportRow& row = GetParam();
  const VersionReport report = makeReport(row.record);
  EXPECT_EQ(report.platformText.view(), row.platform);
  EXPECT_EQ(report.majorText.view(), row.major);
  EXPECT_EQ(report.minorText.view(), row.minor);
  EXPECT_EQ(report.buildText.view(), row.build);
  EXPECT_EQ(report.csdText.view(), row.csd);
  EXPECT_EQ(report.buildNumber, row.buildNumber);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Rows, ReportTest,
    ::testing::Values(
        ReportRow{"untouched", record(0, 0, 0, 0), "0", "0", "0", "0", "", 0},
        ReportRow{"xp", record(2, 5, 1, 2600, "Service Pack 2"), "2", "5", "1", "2600", "Service Pack 2", 2600},
        ReportRow{"high_build_bits_dropped", record(1, 4, 0, 0x040003B6), "1", "4", "0", "950", "", 950},
        ReportRow{"unsigned_above_2_31", record(0x80000000u, 0xFFFFFFFFu, 4294967294u, 0xFFFFFFFFu), "2147483648", "4294967295", "4294967294", "65535", "", 65535},
        ReportRow{"trim_blanks", record(1, 4, 10, 2222, " A "), "1", "4", "10", "2222", "A", 2222},
        ReportRow{"trim_controls_keep_inner", withCsdBytes("\t\r Service\x01Pack \x7F\r\n"), "2", "5", "1", "2600", "Service\x01Pack \x7F", 2600},
        ReportRow{"all_blank_is_empty", withCsdBytes("  \t \x1F "), "2", "5", "1", "2600", "", 2600},
        ReportRow{"stops_at_zero", withCsdBytes(std::string("SP1\0junk", 8)), "2", "5", "1", "2600", "SP1", 2600},
        ReportRow{"no_terminator_128_bytes", withCsdBytes(k128), "2", "5", "1", "2600", k128, 2600},
        ReportRow{"no_terminator_trimmed", withCsdBytes(" " + std::string(126, 'x') + " "), "2", "5", "1", "2600", std::string(126, 'x'), 2600}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

TEST(QueryVersion, AsksOnceWithSizeSet) {
  FakeVersion source;
  source.fill = record(2, 5, 0, 2195);
  source.fill.size = 7;
  EXPECT_EQ(queryVersion(source).buildNumber, 2195);
  source.productType = 3;
  LongerRecord longer(source);
  EXPECT_TRUE(longer.available());
  EXPECT_TRUE(longer.available());  // asked once
  EXPECT_EQ(longer.productType(), 3);
  EXPECT_EQ(source.sizesSeen, (std::vector<uint32_t>{148, 156}));
}

TEST(PrintReport, HighBytesPassUnchanged) {
  World world;
  world.version.fill = record(2, 4, 0, 1381, "Service Pack 6a \xE9\xFF");
  EXPECT_EQ(world.run(), 5u);
  EXPECT_EQ(world.output.out,
            reportLines("2", "4", "0", "1381", "Service Pack 6a \xE9\xFF") +
                crlf({"Operating System: Windows NT 4.0 Service Pack 6a \xE9\xFF"}));
}

}  // namespace
}  // namespace zepho::testing
