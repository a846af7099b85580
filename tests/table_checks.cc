// Tables of later releases that each break one rule, for the compile-time
// checks to refuse: built with -DBAD=n for the n-th rule, it must not
// compile, and the test looks for that rule's message; with BAD=0 it must.
#include "classify/later_checks.h"

namespace zepho {
namespace {

constexpr uint8_t kWs = kWorkstation;
constexpr uint16_t kAny = 0xFFFF;
constexpr LaterSource kVista = {6, 0, kWs, 18, 9, 0, kAny, "Vista"};
constexpr LaterSource kTen = {10, 0, kWs, 26, 13, 0, 21999, "10"};
constexpr LaterSource kEleven = {10, 0, kWs, 30, 14, 22000, 28999, "11"};

// clang-format off
constexpr LaterSource kTable[] = {
#if BAD == 1  // a minor version above 15
    {6, 16, kWs, 18, 9, 0, kAny, "Vista"}, kTen, kEleven,
#elif BAD == 2  // a range that runs backwards
    kVista, kTen, {10, 0, kWs, 30, 14, 28999, 22000, "11"},
#elif BAD == 3  // two Vista rows sharing a build
    {6, 0, kWs, 18, 9, 0, 6002, "Vista"}, {6, 0, kWs, 19, 9, 6002, kAny, "Vista SP2"}, kTen, kEleven,
#elif BAD == 4  // a gap in the 10.0 builds of a kind
    kVista, kTen, {10, 0, kWs, 30, 14, 22001, 28999, "11"},
#elif BAD == 5  // statuses that fall
    kVista, {10, 0, kWs, 17, 13, 0, 21999, "10"}, kEleven,
#elif BAD == 6  // a verbose status the verbose table gives
    {6, 0, kWs, 15, 9, 0, kAny, "Vista"}, kTen, kEleven,
#elif BAD == 7  // a major status that falls as the verbose ones rise
    kVista, {10, 0, kWs, 26, 8, 0, 21999, "10"}, kEleven,
#elif BAD == 8  // a verbose status of 255, which newer NT keeps
    kVista, kTen, {10, 0, kWs, 255, 14, 22000, 28999, "11"},
#elif BAD == 9  // a major status the major table gives, its highest
    {6, 0, kWs, 18, 7, 0, kAny, "Vista"}, kTen, kEleven,
#else
    kVista, kTen, kEleven,
#endif
};
// clang-format on

static_assert(versionsInOrder(kTable), "rule 1 broken");
static_assert(rangesClosed(kTable), "rule 2 broken");
static_assert(rangesApart(kTable), "rule 3 broken");
static_assert(tenRunsFromZero(kTable, kWs), "rule 4 broken");
static_assert(statusesRise(kTable), "rule 5 broken");
static_assert(verboseStatusesFree(kTable, 15), "rule 6 broken");
static_assert(majorStatusesRise(kTable, 7), "rule 7 broken");

}  // namespace
}  // namespace zepho
