// The rules a table of later releases keeps, checked at compile time where
// the table is written (release_tables.cc) and tried on bad tables by the
// tests: each function is true for a table that keeps its rule.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "classify/later_list.h"

namespace zepho {

// A later release as written here; the build packs these into LaterRows
// and one block of names, so only the packed form reaches the exe.
struct LaterSource {
  uint8_t majorVersion;
  uint8_t minorVersion;
  uint8_t kind;
  uint8_t verboseStatus;
  uint8_t majorStatus;
  uint16_t firstBuild;
  uint16_t lastBuild;
  std::string_view name;
};

// Rows go by version, each version in four bits a number.
consteval bool versionsInOrder(std::span<const LaterSource> rows) {
  uint32_t previous = 0;
  for (const LaterSource& row : rows) {
    const uint32_t version = uint32_t{row.majorVersion} << 4 | row.minorVersion;
    if (row.majorVersion > 15 || row.minorVersion > 15 || version < previous) return false;
    previous = version;
  }
  return true;
}

consteval bool rangesClosed(std::span<const LaterSource> rows) {
  for (const LaterSource& row : rows) {
    if (row.firstBuild > row.lastBuild) return false;
  }
  return true;
}

consteval bool sameRelease(const LaterSource& a, const LaterSource& b) {
  return a.majorVersion == b.majorVersion && a.minorVersion == b.minorVersion && a.kind == b.kind;
}

consteval bool rangesApart(std::span<const LaterSource> rows) {
  for (const LaterSource& a : rows) {
    for (const LaterSource& b : rows) {
      if (&a != &b && sameRelease(a, b) && a.firstBuild <= b.lastBuild &&
          b.firstBuild <= a.lastBuild) {
        return false;
      }
    }
  }
  return true;
}

// From 10.0 on a build that no row names reads as newer than every row, so
// a gap below the newest row of a kind would name an old build newer.
consteval bool tenRunsFromZero(std::span<const LaterSource> rows, uint8_t kind) {
  uint32_t next = 0;
  for (bool found = true; found;) {
    found = false;
    for (const LaterSource& row : rows) {
      if (row.majorVersion == 10 && row.minorVersion == 0 && row.kind == kind &&
          row.firstBuild == next) {
        next = uint32_t{row.lastBuild} + 1;
        found = true;
      }
    }
  }
  for (const LaterSource& row : rows) {
    if (row.majorVersion == 10 && row.minorVersion == 0 && row.kind == kind &&
        row.lastBuild >= next) {
      return false;
    }
  }
  return true;
}

// The statuses rise with the rows, as releases come out, so that a list
// from the last row up goes from the highest status down.
consteval bool statusesRise(std::span<const LaterSource> rows) {
  for (size_t i = 1; i < rows.size(); ++i) {
    if (rows[i].verboseStatus <= rows[i - 1].verboseStatus) return false;
  }
  return true;
}

consteval bool verboseStatusesFree(std::span<const LaterSource> rows, uint8_t highestVerbose) {
  for (const LaterSource& row : rows) {
    if (row.verboseStatus <= highestVerbose || row.verboseStatus >= kStatusNewerNt) {
      return false;
    }
    for (const LaterSource& other : rows) {
      if (&row != &other && row.verboseStatus == other.verboseStatus) return false;
    }
  }
  return true;
}

// Major statuses are shared by releases alike (13 for Windows 10 and Servers
// 2016 to 2022), but rise with the verbose ones.
consteval bool majorStatusesRise(std::span<const LaterSource> rows, uint8_t highestMajor) {
  for (const LaterSource& row : rows) {
    if (row.majorStatus <= highestMajor || row.majorStatus >= kStatusNewerNt) return false;
    for (const LaterSource& other : rows) {
      if (other.verboseStatus > row.verboseStatus && other.majorStatus < row.majorStatus) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace zepho
