#include "log/log_print.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cwchar>

#include "log/log_device_manager.h"

namespace {

constexpr int kMessageChars = 4096;
constexpr int kNarrowBytes = 4096;
constexpr int kRecordBytes = 8192;

// Formats into `buffer`, cutting at its last character; returns the length.
int FormatMessageText(wchar_t* buffer, const wchar_t* format, va_list args) {
  int length = _vsnwprintf(buffer, kMessageChars, format, args);
  if (length < 0 || length >= kMessageChars) {
    buffer[kMessageChars - 1] = L'\0';
    length = static_cast<int>(wcslen(buffer));
  }
  return length;
}

// Converts to the ANSI code page, dropping trailing characters until the
// result fits the narrow buffer (possible with double-byte code pages).
int ToAnsi(const wchar_t* text, int length, char* out) {
  auto bytesFor = [text](int units) {
    return WideCharToMultiByte(CP_ACP, 0, text, units, nullptr, 0, nullptr, nullptr);
  };
  int fitting = FitLogText(text, length, kNarrowBytes, bytesFor);
  int written = fitting > 0 ? WideCharToMultiByte(CP_ACP, 0, text, fitting, out, kNarrowBytes - 1,
                                                  nullptr, nullptr)
                            : 0;
  if (written < 0) written = 0;
  out[written] = '\0';
  return written;
}

LogClock LocalClock() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return LogClock{now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

}  // namespace

void LogSetUp() { log_device_manager::instance(); }

void LogPrint(int nModule, const wchar_t* szFormat, ...) {
  if (!log_device_manager::viewer_present() || szFormat == nullptr) return;

  wchar_t message[kMessageChars];
  va_list args;
  va_start(args, szFormat);
  int length = FormatMessageText(message, szFormat, args);
  va_end(args);

  char narrow[kNarrowBytes];
  ToAnsi(message, length, narrow);

  log_device_manager& manager = log_device_manager::instance();
  char record[kRecordBytes];
  int recordLength =
      FormatLogRecord(record, sizeof record, GetCurrentThreadId(), LocalClock(), nModule, narrow);
  manager.write(record, recordLength);
}
