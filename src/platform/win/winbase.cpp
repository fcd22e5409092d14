#include "win/winbase.h"

#include <cstdint>
#include <limits>

INT MulDiv(INT number, INT numerator, INT denominator) {
  if (denominator == 0) return -1;
  std::int64_t product = static_cast<std::int64_t>(number) * numerator;
  std::int64_t divisor = denominator;
  if (divisor < 0) {
    product = -product;
    divisor = -divisor;
  }
  // Round half away from zero, then truncate.
  std::int64_t half = divisor / 2;
  std::int64_t result = product >= 0 ? (product + half) / divisor : (product - half) / divisor;
  if (result > std::numeric_limits<INT>::max() || result < -std::numeric_limits<INT>::max()) return -1;
  return static_cast<INT>(result);
}
