// The two deliverables as Windows loads them: the plug-in's exports under
// their plain names, its version resource, and the update program's manifest
// and start.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "test_paths.h"

namespace {

using testsupport::BinaryPath;

struct ModuleCloser {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
using ScopedModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleCloser>;

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using ScopedHandle = std::unique_ptr<void, HandleCloser>;

const wchar_t kPlugin[] = L"npZumiPictavoEx.dll";
const wchar_t kUpdater[] = L"ZumiPictavoUpdateSvr.exe";

TEST(PluginModule, LoadsAndExportsEveryEntryUnderItsPlainName) {
  ScopedModule plugin(LoadLibraryW(BinaryPath(kPlugin).c_str()));
  ASSERT_TRUE(plugin) << "LoadLibraryW failed: " << GetLastError();
  for (const char* name : {"NP_GetEntryPoints", "NP_Initialize", "NP_Shutdown", "DllRegisterServer",
                           "DllUnregisterServer"}) {
    EXPECT_NE(nullptr, reinterpret_cast<void*>(GetProcAddress(plugin.get(), name))) << name;
  }
  EXPECT_EQ(nullptr, reinterpret_cast<void*>(GetProcAddress(plugin.get(), "_NP_Initialize@4")));
}

std::wstring VersionString(const std::wstring& file, const std::wstring& block,
                           const std::wstring& field) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0) return L"<no version resource>";
  std::vector<BYTE> data(size);
  if (!GetFileVersionInfoW(file.c_str(), 0, size, data.data())) return L"<unreadable>";
  wchar_t* text = nullptr;
  UINT length = 0;
  std::wstring query = L"\\StringFileInfo\\" + block + L"\\" + field;
  if (!VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&text), &length))
    return L"<missing " + field + L">";
  return std::wstring(text);
}

TEST(PluginModule, VersionResourceAnnouncesMimeTypeAndVersion) {
  const std::wstring file = BinaryPath(kPlugin);
  const std::wstring block = L"040904e4";  // English (US), code page 1252
  EXPECT_EQ(L"application/orvane-zumipictavoex2-plugin", VersionString(file, block, L"MIMEType"));
  EXPECT_EQ(L"rts", VersionString(file, block, L"FileExtents"));
  EXPECT_EQ(L"npZumiPictavoEx Module", VersionString(file, block, L"FileDescription"));
  EXPECT_EQ(L"npZumiPictavoEx", VersionString(file, block, L"ProductName"));
  EXPECT_EQ(L"npZumiPictavoEx", VersionString(file, block, L"InternalName"));
  EXPECT_EQ(L"npZumiPictavoEx.DLL", VersionString(file, block, L"OriginalFilename"));
  EXPECT_EQ(L"2, 53, 413, 0421", VersionString(file, block, L"FileVersion"));
  EXPECT_EQ(L"2, 53, 413, 0421", VersionString(file, block, L"ProductVersion"));

  DWORD ignored = 0;
  std::vector<BYTE> data(GetFileVersionInfoSizeW(file.c_str(), &ignored));
  ASSERT_FALSE(data.empty());
  ASSERT_TRUE(GetFileVersionInfoW(file.c_str(), 0, data.size(), data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(MAKELONG(53, 2), fixed->dwFileVersionMS);
  EXPECT_EQ(MAKELONG(421, 413), fixed->dwFileVersionLS);
}

std::string ManifestOf(const std::wstring& file) {
  ScopedModule image(LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (!image) return "<not loadable>";
  HRSRC found = FindResourceW(image.get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  if (!found) return "<no manifest>";
  HGLOBAL loaded = LoadResource(image.get(), found);
  const char* text = static_cast<const char*>(LockResource(loaded));
  return std::string(text, SizeofResource(image.get(), found));
}

TEST(UpdaterProgram, ManifestRequestsAsInvokerWithoutUiAccess) {
  std::string manifest = ManifestOf(BinaryPath(kUpdater));
  EXPECT_NE(std::string::npos, manifest.find("level=\"asInvoker\"")) << manifest;
  EXPECT_NE(std::string::npos, manifest.find("uiAccess=\"false\"")) << manifest;
}

TEST(UpdaterProgram, StartsAndExits) {
  std::wstring commandLine = L"\"" + BinaryPath(kUpdater) + L"\"";
  STARTUPINFOW startup = {sizeof(startup)};
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process))
      << GetLastError();
  ScopedHandle processHandle(process.hProcess), threadHandle(process.hThread);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 60000));
  DWORD exitCode = STILL_ACTIVE;
  GetExitCodeProcess(process.hProcess, &exitCode);
  EXPECT_NE(STILL_ACTIVE, exitCode);
}

}  // namespace
