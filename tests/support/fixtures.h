// Paths of the discs authored for the tests (tests/fixtures/make_discs.sh), and the rule
// for a test that cannot get the discs or the display it needs.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

inline std::string FixtureDir() {
  if (const char *dir = std::getenv("QDVD_FIXTURE_DIR")) return dir;
  return QDVD_FIXTURE_DIR;
}
inline std::string FixturePath(const std::string &name) { return FixtureDir() + "/" + name; }

// True under the test command (scripts/test sets QDVD_REQUIRE_FIXTURES=1): there a test
// that cannot get the authored discs or the display fails; a plain local ctest run
// without them skips it instead.
inline bool FixturesRequired() {
  const char *v = std::getenv("QDVD_REQUIRE_FIXTURES");
  return v && *v && std::strcmp(v, "0") != 0;
}

// Ends the test unless `cond` holds: skipped, or failed where fixtures are required.
// A reason may be streamed after it: NEEDS(HaveDisc("x")) << "no disc x";
#define NEEDS(cond)                                                                                                \
  switch (0)                                                                                                       \
  case 0:                                                                                                          \
  default:                                                                                                         \
    if (cond) {                                                                                                    \
    } else                                                                                                         \
      return GTEST_MESSAGE_("needed and missing: " #cond,                                                          \
                            FixturesRequired() ? ::testing::TestPartResult::kFatalFailure                          \
                                               : ::testing::TestPartResult::kSkip)

// Whether an authored fixture exists; where fixtures are required a missing one is a
// failure of the test (which goes on), for the checks that use a fixture only if present.
inline bool HaveFixture(const std::string &name) {
  if (std::filesystem::exists(FixturePath(name))) return true;
  if (FixturesRequired()) ADD_FAILURE() << "missing fixture " << FixturePath(name);
  return false;
}
// The authored discs are there (the menu disc stands for all of them).
inline bool HaveDiscs() { return std::filesystem::exists(FixturePath("ntsc_menu/VIDEO_TS/VIDEO_TS.IFO")); }
#define NEEDS_DISCS() NEEDS(HaveDiscs()) << "test discs not built in " << FixtureDir()

// True when the test runs without the real display it asked for.
inline bool NoDisplay() { return std::getenv("QDVD_NO_DISPLAY") != nullptr; }
#define NEEDS_DISPLAY() NEEDS(!NoDisplay()) << "no display"
