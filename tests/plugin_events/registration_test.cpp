// Self-registration of the plug-in: through the system's regsvr32 as an
// installer runs it, and through the exports where the registry refuses.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_paths.h"

namespace {

const wchar_t kKey[] = L"SOFTWARE\\MozillaPlugins\\@orvane.com/ZumiPictavoEx";

std::wstring PluginPath() { return testsupport::BinaryPath(L"npZumiPictavoEx.dll"); }

// regsvr32's exit code, or -1 when it cannot be run.
int Regsvr32(const std::wstring& options) {
  std::wstring command = L"regsvr32.exe " + options + L" \"" + PluginPath() + L"\"";
  std::vector<wchar_t> line(command.begin(), command.end());
  line.push_back(L'\0');
  STARTUPINFOW startup = {sizeof(startup)};
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return -1;
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

bool KeyExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// A value as stored: its type and its bytes.
struct Stored {
  DWORD type = 0;
  std::vector<BYTE> bytes;
};

Stored Read(const wchar_t* name) {
  Stored stored;
  DWORD size = 0;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kKey, name, RRF_RT_ANY | RRF_NOEXPAND, &stored.type, nullptr,
                   &size) != ERROR_SUCCESS)
    return stored;
  stored.bytes.resize(size);
  RegGetValueW(HKEY_LOCAL_MACHINE, kKey, name, RRF_RT_ANY | RRF_NOEXPAND, &stored.type,
               stored.bytes.data(), &size);
  stored.bytes.resize(size);
  return stored;
}

// The text with its terminating NUL, as the bytes of a REG_SZ.
std::vector<BYTE> Terminated(const std::wstring& text) {
  const BYTE* data = reinterpret_cast<const BYTE*>(text.c_str());
  return std::vector<BYTE>(data, data + (text.size() + 1) * sizeof(wchar_t));
}

std::wstring LongPath(const std::wstring& path) {
  wchar_t full[MAX_PATH] = {};
  DWORD length = GetLongPathNameW(path.c_str(), full, MAX_PATH);
  return length && length < MAX_PATH ? std::wstring(full) : path;
}

TEST(Registration, Regsvr32RegistersAndUnregistersThePlugin) {
  ASSERT_EQ(0, Regsvr32(L"/s /u"));  // a missing key is no failure
  ASSERT_FALSE(KeyExists());
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_EQ(0, Regsvr32(L"/s"));
    ASSERT_TRUE(KeyExists());
    const struct {
      const wchar_t* name;
      std::wstring text;
    } kValues[] = {{L"Description", L"ZumiPictavoEx"},
                   {L"ProductName", L"ZumiPictavoEx"},
                   {L"Vendor", L"ZumiPictavoEx"},
                   {L"Version", L"1.0.0.1"}};
    for (const auto& value : kValues) {
      const Stored stored = Read(value.name);
      EXPECT_EQ(static_cast<DWORD>(REG_SZ), stored.type) << value.name;
      EXPECT_EQ(Terminated(value.text), stored.bytes) << value.name;
    }
    const Stored path = Read(L"Path");
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), path.type);
    ASSERT_GE(path.bytes.size(), 2u);
    EXPECT_EQ(0, path.bytes[path.bytes.size() - 1] | path.bytes[path.bytes.size() - 2]);
    const std::wstring stored(reinterpret_cast<const wchar_t*>(path.bytes.data()));
    EXPECT_EQ(0, lstrcmpiW(LongPath(PluginPath()).c_str(), LongPath(stored).c_str())) << stored;
  }
  EXPECT_EQ(0, Regsvr32(L"/s /u"));
  EXPECT_FALSE(KeyExists());
  HKEY parent = nullptr;
  EXPECT_EQ(ERROR_SUCCESS,
            RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\MozillaPlugins", 0, KEY_READ, &parent))
      << "the parent key stays";
  if (parent) RegCloseKey(parent);
}

// HKEY_LOCAL_MACHINE mapped, for this process, onto a volatile key, under
// which the registry refuses to create the plug-in's lasting key. (Wine does
// not enforce access rights on keys, so a refused creation stands in for a
// missing right.)
class RefusingMachineKey {
 public:
  RefusingMachineKey() {
    RegCreateKeyExW(HKEY_CURRENT_USER, kVolatile, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                    nullptr, &m_key, nullptr);
    m_active = m_key && RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_key) == ERROR_SUCCESS;
  }
  ~RefusingMachineKey() {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    if (m_key) RegCloseKey(m_key);
    RegDeleteTreeW(HKEY_CURRENT_USER, kVolatile);
  }
  bool Active() const { return m_active; }

 private:
  static constexpr const wchar_t* kVolatile = L"Software\\ZpVolatileMachine";
  HKEY m_key = nullptr;
  bool m_active = false;
};

TEST(Registration, ExportsReportWhatTheRegistryRefused) {
  HMODULE plugin = LoadLibraryW(PluginPath().c_str());
  ASSERT_TRUE(plugin);
  auto registerServer =
      reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(GetProcAddress(plugin, "DllRegisterServer"));
  auto unregisterServer =
      reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(GetProcAddress(plugin, "DllUnregisterServer"));
  ASSERT_TRUE(registerServer && unregisterServer);
  EXPECT_EQ(S_OK, unregisterServer());
  EXPECT_EQ(S_OK, unregisterServer()) << "a missing key is no failure";
  {
    RefusingMachineKey refusing;
    ASSERT_TRUE(refusing.Active());
    EXPECT_TRUE(FAILED(registerServer()));
  }
  EXPECT_FALSE(KeyExists());

  // A key that cannot be deleted (it has a key of its own below it).
  HKEY below = nullptr;
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kKey) + L"\\Below").c_str(), 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, &below, nullptr));
  RegCloseKey(below);
  EXPECT_TRUE(FAILED(unregisterServer()));
  EXPECT_TRUE(KeyExists());
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey));
  EXPECT_FALSE(KeyExists());
  FreeLibrary(plugin);
}

}  // namespace
