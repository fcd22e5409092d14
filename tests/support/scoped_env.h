// An environment variable set (or, with nullptr, removed) for a scope, and put back as
// it was when the scope ends.
#pragma once

#include <cstdlib>
#include <string>

class ScopedEnv {
public:
  ScopedEnv(const char *name, const char *value) : ScopedEnv(name) { Set(value); }
  // Keeps the variable as it is; the scope's end puts back what it was now.
  explicit ScopedEnv(const char *name) : name_(name) {
    if (const char *old = std::getenv(name)) old_ = old, had_ = true;
  }
  ~ScopedEnv() { Set(had_ ? old_.c_str() : nullptr); }
  ScopedEnv(const ScopedEnv &) = delete;
  ScopedEnv &operator=(const ScopedEnv &) = delete;

  void Set(const char *value) {
    if (value) setenv(name_.c_str(), value, 1);
    else unsetenv(name_.c_str());
  }

private:
  std::string name_;
  std::string old_;
  bool had_ = false;
};
