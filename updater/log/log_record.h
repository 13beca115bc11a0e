// Record layout of the update service's diagnostic lines.
#pragma once

#include <cstddef>

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
int FormatLogRecord(char* out, std::size_t capacity, unsigned long threadId,
                    const LogClock& clock, int moduleKey, const char* text);
