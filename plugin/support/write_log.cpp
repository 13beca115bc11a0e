#include "support/write_log.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <stdarg.h>
#include <stdio.h>

#include <string>

#include "owners/scoped_win.h"

namespace {

const wchar_t kMarkerFile[] = L"C:\\PictavoEx_Log.txt";
constexpr size_t kMessageChars = 10240;

enum class Switch { Undecided, On, Off };
Switch g_switch = Switch::Undecided;

int CurrentVersionClass() {
  OSVERSIONINFOEXW info = {};
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) {
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return 0;
  }
  return WindowsVersionClass(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

// The folder of the log file, with a trailing backslash; empty if unknown.
std::wstring LogFolder() {
  if (CurrentVersionClass() <= 7) return L"C:\\";
  wchar_t appData[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, FALSE)) return std::wstring();
  return std::wstring(appData) + L"\\Microsoft\\Windows\\Cookies\\Low\\";
}

bool LoggingOn() {
  if (g_switch == Switch::Undecided)
    g_switch = PathFileExistsW(kMarkerFile) ? Switch::On : Switch::Off;
  return g_switch == Switch::On;
}

void AppendLine(const std::wstring& path, const wchar_t* message) {
  std::wstring line = std::wstring(message) + L"\r\n";
  int bytes = WideCharToMultiByte(CP_THREAD_ACP, 0, line.data(), static_cast<int>(line.size()),
                                  nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return;
  std::string ansi(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_THREAD_ACP, 0, line.data(), static_cast<int>(line.size()), &ansi[0], bytes,
                      nullptr, nullptr);
  ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return;
  SetFilePointer(file.Get(), 0, nullptr, FILE_END);
  DWORD written = 0;
  WriteFile(file.Get(), ansi.data(), static_cast<DWORD>(ansi.size()), &written, nullptr);
}

}  // namespace

bool LoggingEnabled() { return LoggingOn(); }

void WriteLog(const wchar_t* fileName, const wchar_t* format, ...) {
  if (!fileName || !format || !LoggingOn()) return;
  std::wstring folder = LogFolder();
  if (folder.empty()) return;
  wchar_t message[kMessageChars] = {};
  va_list args;
  va_start(args, format);
  int written = _vsnwprintf(message, kMessageChars - 1, format, args);
  va_end(args);
  if (written < 0 || static_cast<size_t>(written) >= kMessageChars - 1) written = kMessageChars - 1;
  message[written] = L'\0';
  AppendLine(folder + fileName, message);
}
