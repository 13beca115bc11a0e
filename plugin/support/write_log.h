// The plug-in's diagnostic log: plain lines appended to a file, only while
// the marker file "C:\PictavoEx_Log.txt" exists (tested once per process).
#pragma once

#include <stdint.h>

void WriteLog(const wchar_t* fileName, const wchar_t* format, ...);
// Whether lines are written at all, so callers can skip preparing them.
bool LoggingEnabled();

// The Windows version class that chooses the log folder: 1-4 for the 9x
// family, 5-8 for NT (8 = NT 5.2 and later), 0 for anything else.
int WindowsVersionClass(uint32_t platformId, uint32_t major, uint32_t minor);
