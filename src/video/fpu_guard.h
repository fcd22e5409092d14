// Keeps the floating-point environment (control word, rounding, exception masks) of
// the caller across a call into a renderer that may change it, also when the call
// throws.
#pragma once

#include <cfenv>

class TFpuGuard {
public:
  TFpuGuard() { saved_ = fegetenv(&env_) == 0; }
  ~TFpuGuard() {
    if (saved_) fesetenv(&env_);
  }
  TFpuGuard(const TFpuGuard &) = delete;
  TFpuGuard &operator=(const TFpuGuard &) = delete;

private:
  std::fenv_t env_;
  bool saved_;
};
