// Self-registration for browsers of the NPAPI family: one key under
// HKLM\SOFTWARE\MozillaPlugins names the plug-in DLL.
#include <windows.h>

#include <string>

#include "owners/scoped_win.h"

namespace {

const wchar_t kPluginKey[] = L"SOFTWARE\\MozillaPlugins\\@orvane.com/ZumiPictavoEx";
const wchar_t kName[] = L"ZumiPictavoEx";
const wchar_t kVersion[] = L"1.0.0.1";

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

// Every text is stored with its terminating NUL, so that readers which trust
// the stored length get a terminated string.
LONG SetText(HKEY key, const wchar_t* name, const wchar_t* text) {
  const DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
}

}  // namespace

// Fails with the registry's error when the key cannot be created or a value
// cannot be written: the caller must not believe in a registration that
// did not happen.
extern "C" HRESULT __stdcall DllRegisterServer(void) {
  ScopedRegKey key;
  LONG status =
      RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPluginKey, 0, nullptr, 0,
                      KEY_SET_VALUE | KEY_CREATE_SUB_KEY, nullptr, key.Receive(), nullptr);
  if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  wchar_t path[MAX_PATH] = {};
  const DWORD pathChars = GetModuleFileNameW(ThisModule(), path, MAX_PATH);
  if (pathChars == 0 || pathChars >= MAX_PATH)
    return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
  const struct {
    const wchar_t* name;
    const wchar_t* text;
  } kValues[] = {{L"Description", kName},
                 {L"ProductName", kName},
                 {L"Vendor", kName},
                 {L"Path", path},
                 {L"Version", kVersion}};
  for (const auto& value : kValues) {
    status = SetText(key.Get(), value.name, value.text);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  }
  return S_OK;
}

// A key that is already missing counts as unregistered.
extern "C" HRESULT __stdcall DllUnregisterServer(void) {
  const LONG status = RegDeleteKeyW(HKEY_LOCAL_MACHINE, kPluginKey);
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return S_OK;
  return HRESULT_FROM_WIN32(status);
}
