// Self-registration for browsers of the NPAPI family: one key under
// HKLM\SOFTWARE\MozillaPlugins names the plug-in DLL.
#include <windows.h>

#include <string>

namespace {

const wchar_t kPluginKey[] = L"SOFTWARE\\MozillaPlugins\\@orvane.com/ZumiPictavoEx";
const wchar_t kName[] = L"ZumiPictavoEx";
const wchar_t kVersion[] = L"1.0.0.1";

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

void SetText(HKEY key, const wchar_t* name, const wchar_t* text, bool withTerminator) {
  DWORD bytes = static_cast<DWORD>((wcslen(text) + (withTerminator ? 1 : 0)) * sizeof(wchar_t));
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
}

}  // namespace

extern "C" HRESULT __stdcall DllRegisterServer(void) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPluginKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_CREATE_SUB_KEY,
                      nullptr, &key, nullptr) != ERROR_SUCCESS)
    return S_OK;
  // Description is stored without its terminator; readers of REG_SZ add it back.
  SetText(key, L"Description", kName, false);
  SetText(key, L"ProductName", kName, true);
  SetText(key, L"Vendor", kName, true);
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(ThisModule(), path, MAX_PATH);
  SetText(key, L"Path", path, false);
  SetText(key, L"Version", kVersion, true);
  RegCloseKey(key);
  return S_OK;
}

extern "C" HRESULT __stdcall DllUnregisterServer(void) {
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, kPluginKey);
  return S_OK;
}
