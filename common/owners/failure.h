// Failure helpers. A failure that makes a function return, or one that is
// ignored on purpose, names its expression, file and line on the debugger's
// output (OutputDebugStringW) and nowhere else: no log record changes.
//   RETURN_IF_FAILED(hr)          returns the failed HRESULT
//   RETURN_HR_IF(hr, condition)   returns hr when the condition holds
//   LOG_IF_FAILED(hr)             goes on; the value is the HRESULT
//   LOG_IF_FALSE(ok)              goes on after a call that answered false (or 0)
//   LOG_IF_WIN32_BOOL_FALSE(ok)   goes on after a failed BOOL call (with its last error)
//   LOG_IF_WIN32_ERROR(status)    goes on after a call that returned an error code
// The LOG_ forms are how a result is dropped on purpose: the code says so,
// and the debugger still sees the failure.
#pragma once

#include <windows.h>
#include <stdio.h>

namespace owners {

// Writes "file(line): what [0xhr]" to the debugger's output. The caller's
// last error survives.
inline void ReportFailure(const char* file, int line, const char* what, HRESULT hr) {
  const DWORD lastError = GetLastError();
  wchar_t text[512];
  _snwprintf(text, sizeof(text) / sizeof(text[0]) - 1, L"%hs(%d): %hs [0x%08lX]\n", file, line,
             what, static_cast<unsigned long>(hr));
  text[sizeof(text) / sizeof(text[0]) - 1] = L'\0';
  OutputDebugStringW(text);
  SetLastError(lastError);
}

inline HRESULT LogIfFailed(HRESULT hr, const char* file, int line, const char* what) {
  if (FAILED(hr)) ReportFailure(file, line, what, hr);
  return hr;
}

inline LONG LogIfError(LONG status, const char* file, int line, const char* what) {
  if (status != ERROR_SUCCESS) ReportFailure(file, line, what, HRESULT_FROM_WIN32(status));
  return status;
}

template <typename T>
T LogIfFalse(T ok, const char* file, int line, const char* what) {
  if (!ok) ReportFailure(file, line, what, E_FAIL);
  return ok;
}

inline BOOL LogIfWin32False(BOOL ok, const char* file, int line, const char* what) {
  if (!ok) ReportFailure(file, line, what, HRESULT_FROM_WIN32(GetLastError()));
  return ok;
}

}  // namespace owners

#define RETURN_IF_FAILED(expression)                                       \
  do {                                                                     \
    const HRESULT owners_hr = (expression);                                \
    if (FAILED(owners_hr)) {                                               \
      ::owners::ReportFailure(__FILE__, __LINE__, #expression, owners_hr); \
      return owners_hr;                                                    \
    }                                                                      \
  } while (0)

#define RETURN_HR_IF(hr, condition)                                       \
  do {                                                                    \
    if (condition) {                                                      \
      const HRESULT owners_hr = (hr);                                     \
      ::owners::ReportFailure(__FILE__, __LINE__, #condition, owners_hr); \
      return owners_hr;                                                   \
    }                                                                     \
  } while (0)

#define LOG_IF_FAILED(expression) \
  ::owners::LogIfFailed((expression), __FILE__, __LINE__, #expression)

#define LOG_IF_FALSE(expression) ::owners::LogIfFalse((expression), __FILE__, __LINE__, #expression)

#define LOG_IF_WIN32_BOOL_FALSE(expression) \
  ::owners::LogIfWin32False((expression), __FILE__, __LINE__, #expression)

#define LOG_IF_WIN32_ERROR(expression) \
  ::owners::LogIfError((expression), __FILE__, __LINE__, #expression)
