#include "test_paths.h"

#include <windows.h>

#include <cstdlib>

namespace testsupport {

std::wstring BinaryDir() {
  wchar_t path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, length);
  return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}

std::wstring BinaryPath(const std::wstring& fileName) { return BinaryDir() + fileName; }

const std::wstring& StartupTempDir() {
  static const std::wstring dir = [] {
    wchar_t buffer[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, buffer);
    return std::wstring(buffer);
  }();
  return dir;
}

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring UnixToWindows(const std::string& path) {
  std::wstring result = L"Z:" + Wide(path);
  for (wchar_t& c : result)
    if (c == L'/') c = L'\\';
  return result;
}

}  // namespace testsupport
