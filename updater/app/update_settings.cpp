#include "app/update_settings.h"

#include <windows.h>

#include "app/registry_text.h"
#include "app/wide_units.h"
#include "owners/scoped_win.h"

namespace {

constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\ORVANE\\ZumiPictavoEx\\Updatesetting";
constexpr wchar_t kIgnoreValue[] = L"IgnoreMD5Value";
constexpr DWORD kValueUnits = 260;

}  // namespace

bool ParseRegistryText(const wchar_t* pData, unsigned long nBytes, std::wstring& strText) {
  std::u16string text;
  if (!ParseRegistryTextBytes(reinterpret_cast<const unsigned char*>(pData), nBytes, text)) {
    return false;
  }
  strText = FromU16(text);
  return true;
}

bool ReadIgnoreMd5Value(std::wstring& strValue) {
  ScopedRegKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) {
    return false;
  }
  wchar_t data[kValueUnits] = {};
  DWORD type = 0;
  DWORD bytes = sizeof data;
  if (RegQueryValueExW(key.Get(), kIgnoreValue, nullptr, &type, reinterpret_cast<BYTE*>(data),
                       &bytes) != ERROR_SUCCESS) {
    return false;
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  return ParseRegistryText(data, bytes, strValue);
}

bool WriteIgnoreMd5Value(const std::wstring& strValue) {
  ScopedRegKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY, nullptr, key.Receive(),
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  DWORD bytes = static_cast<DWORD>((strValue.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key.Get(), kIgnoreValue, 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(strValue.c_str()), bytes) == ERROR_SUCCESS;
}
