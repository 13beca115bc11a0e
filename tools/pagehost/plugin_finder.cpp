#include "plugin_finder.h"

#include <windows.h>

#include <vector>

#include "page_text.h"
#include "owners/scoped_win.h"

namespace pagehost {
namespace {

std::wstring PathValue(HKEY parent, const wchar_t* subKey) {
  DWORD bytes = 0;
  if (RegGetValueW(parent, subKey, L"Path", RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
          ERROR_SUCCESS ||
      bytes < sizeof(wchar_t))
    return std::wstring();
  std::vector<wchar_t> path(bytes / sizeof(wchar_t) + 1, L'\0');
  if (RegGetValueW(parent, subKey, L"Path", RRF_RT_REG_SZ, nullptr, path.data(), &bytes) !=
      ERROR_SUCCESS)
    return std::wstring();
  return path.data();
}

std::wstring FindUnder(HKEY root, const std::string& mimeType) {
  ScopedRegKey plugins;
  if (RegOpenKeyExW(root, L"SOFTWARE\\MozillaPlugins", 0, KEY_READ, plugins.Receive()) !=
      ERROR_SUCCESS)
    return std::wstring();
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD length = 256;
    const LONG status =
        RegEnumKeyExW(plugins.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) continue;
    const std::wstring path = PathValue(plugins.Get(), name);
    if (!path.empty() && MimeTypeListed(MimeTypesOfFile(path), mimeType)) return path;
  }
  return std::wstring();
}

}  // namespace

std::string MimeTypesOfFile(const std::wstring& path) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  if (!size) return std::string();
  std::vector<BYTE> info(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, info.data())) return std::string();
  std::vector<DWORD> translations = {0x04E40409, 0x04B00409};  // code page << 16 | language
  void* found = nullptr;
  UINT foundLength = 0;
  if (VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", &found, &foundLength) && found)
    translations.insert(translations.begin(), static_cast<DWORD*>(found),
                        static_cast<DWORD*>(found) + foundLength / sizeof(DWORD));
  for (DWORD translation : translations) {
    wchar_t query[64];
    swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\MIMEType", translation & 0xFFFF,
             translation >> 16);
    wchar_t* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info.data(), query, reinterpret_cast<void**>(&text), &length) || !text)
      continue;
    std::string types;
    for (const wchar_t* c = text; *c; ++c) types += *c < 0x80 ? static_cast<char>(*c) : '?';
    return types;
  }
  return std::string();
}

std::wstring FindRegisteredPlugin(const std::string& mimeType) {
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    std::wstring path = FindUnder(root, mimeType);
    if (!path.empty()) return path;
  }
  return std::wstring();
}

}  // namespace pagehost
