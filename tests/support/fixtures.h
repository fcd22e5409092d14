// Paths of the discs authored for the tests (tests/fixtures/make_discs.sh).
#pragma once

#include <cstdlib>
#include <string>

inline std::string FixtureDir() {
  if (const char *dir = std::getenv("QDVD_FIXTURE_DIR")) return dir;
  return QDVD_FIXTURE_DIR;
}
inline std::string FixturePath(const std::string &name) { return FixtureDir() + "/" + name; }

// True when the test runs without the real display it asked for; such tests skip.
inline bool NoDisplay() { return std::getenv("QDVD_NO_DISPLAY") != nullptr; }
#define NEEDS_DISPLAY()                                                                            \
  do {                                                                                             \
    if (NoDisplay()) GTEST_SKIP() << "no display";                                                 \
  } while (0)
