#include "test_paths.h"

#include <windows.h>

namespace testsupport {

std::wstring BinaryDir() {
  wchar_t path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, length);
  return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}

std::wstring BinaryPath(const std::wstring& fileName) { return BinaryDir() + fileName; }

}  // namespace testsupport
