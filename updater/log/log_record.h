// Record layout of the update service's diagnostic lines.
#pragma once

#include <cstddef>
#include <cstdint>

enum LogModule {
  LOG_MODULE_MAIN = 1,
  LOG_MODULE_ERROR = 2,
  LOG_MODULE_BRIMLIB = 3,
  LOG_MODULE_BRIMDLL = 4,
};

struct LogClock {
  int hour;
  int minute;
  int second;
  int millisecond;
};

// Largest record in characters, terminator not counted.
constexpr std::size_t kLogRecordMaxChars = 8191;

// "Main", "Error", "BrimLib", "BrimDll", or "Unknown" for any other key.
const char* LogModuleName(int moduleKey);

// Writes "(tid) hh:mm:ss.mmm000 Module: text" into `out` (always terminated,
// cut to fit) and returns the record's length.
int FormatLogRecord(char* out, std::size_t capacity, unsigned long threadId, const LogClock& clock,
                    int moduleKey, const char* text);

// Whether a UTF-16 unit opens a surrogate pair.
inline bool IsHighSurrogateUnit(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

// The longest prefix of the first `length` units of UTF-16 text whose
// conversion, measured by `bytesFor(prefixLength)` (0 or less when it cannot
// be converted), takes fewer than `capacity` bytes. Trailing units are
// dropped as many at a time as the conversion was too long, and a surrogate
// pair is never split. 0 when no prefix fits.
template <typename Unit, typename Measure>
int FitLogText(const Unit* text, int length, int capacity, Measure bytesFor) {
  while (length > 0) {
    int needed = bytesFor(length);
    if (needed <= 0) break;
    if (needed < capacity) return length;
    int excess = needed - (capacity - 1);
    length -= excess < length ? excess : length;
    if (length > 0 && IsHighSurrogateUnit(static_cast<uint32_t>(text[length - 1]))) --length;
  }
  return 0;
}
