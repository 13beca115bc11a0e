// Number handling of script values, free of any platform header.
#pragma once

#include <stdint.h>

#include <cmath>
#include <limits>

// A script Double as the control's 32-bit integer: truncated toward zero.
// Values beyond the 32-bit range (infinities included) saturate to the
// nearest representable value and NaN gives 0, so no input is undefined.
inline int32_t SaturatingTruncate(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}
