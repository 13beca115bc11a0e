// The diagnostic log: switched by the marker file once per process, lines in
// the ANSI code page with CR LF, cut at 10239 characters, in a folder chosen
// by the Windows version. Each case runs in a process of its own.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "browser.h"
#include "support/write_log.h"
#include "test_paths.h"

namespace {

const wchar_t kMarker[] = L"C:\\PictavoEx_Log.txt";
const wchar_t kLogName[] = L"npZumiPictavoEx.txt";

std::wstring AppDataLogFolder() {
  wchar_t appData[MAX_PATH] = {};
  SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, FALSE);
  return std::wstring(appData) + L"\\Microsoft\\Windows\\Cookies\\Low\\";
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadAll(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string data;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
    data.append(buffer, read);
  CloseHandle(file);
  return data;
}

void RemoveMarker() {
  DeleteFileW(kMarker);
  RemoveDirectoryW(kMarker);
}

void CreateMarkerFile() {
  HANDLE file = CreateFileW(kMarker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  CloseHandle(file);
}

// Leaves neither the marker nor a log behind, whatever the case did.
class Log : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean() {
    RemoveMarker();
    DeleteFileW((std::wstring(L"C:\\") + kLogName).c_str());
    DeleteFileW((AppDataLogFolder() + kLogName).c_str());
    RemoveDirectoryW(AppDataLogFolder().c_str());  // made by a case, empty by now
  }
  static std::wstring XpLog() { return std::wstring(L"C:\\") + kLogName; }
  static std::wstring NewerLog() { return AppDataLogFolder() + kLogName; }
};

TEST(VersionClass, Table) {
  EXPECT_EQ(1, WindowsVersionClass(1, 4, 0));
  EXPECT_EQ(2, WindowsVersionClass(1, 4, 10));
  EXPECT_EQ(3, WindowsVersionClass(1, 4, 90));
  EXPECT_EQ(4, WindowsVersionClass(1, 4, 3));
  EXPECT_EQ(4, WindowsVersionClass(1, 5, 0));
  EXPECT_EQ(5, WindowsVersionClass(2, 3, 51));
  EXPECT_EQ(5, WindowsVersionClass(2, 4, 0));
  EXPECT_EQ(6, WindowsVersionClass(2, 5, 0));
  EXPECT_EQ(7, WindowsVersionClass(2, 5, 1));
  EXPECT_EQ(8, WindowsVersionClass(2, 5, 2));
  EXPECT_EQ(8, WindowsVersionClass(2, 6, 0));
  EXPECT_EQ(8, WindowsVersionClass(2, 10, 0));
  EXPECT_EQ(0, WindowsVersionClass(0, 3, 1));
  EXPECT_EQ(0, WindowsVersionClass(3, 10, 0));
}

TEST_F(Log, OffWithoutMarker) {
  WriteLog(kLogName, L"first %d", 1);
  CreateMarkerFile();
  WriteLog(kLogName, L"second %d", 2);
  EXPECT_FALSE(Exists(XpLog()));
  EXPECT_FALSE(Exists(NewerLog()));
}

TEST_F(Log, MarkerFileLinesAndCut) {
  CreateMarkerFile();
  WriteLog(kLogName, L"Fire_On : %ls", L"OnSink_UploadSelect");
  WriteLog(kLogName, L"caf\u00e9 %d \u4e2d", 7);
  std::wstring longText(20000, L'x');
  WriteLog(kLogName, L"%ls", longText.c_str());
  WriteLog(kLogName, L"last");

  std::string expected = "Fire_On : OnSink_UploadSelect\r\n";
  expected += "caf\xE9 7 ?\r\n";  // ANSI (1252): the CJK character has no code
  expected += std::string(10239, 'x') + "\r\n";
  expected += "last\r\n";
  EXPECT_EQ(expected, ReadAll(XpLog()));
}

TEST_F(Log, MarkerFolder) {
  ASSERT_TRUE(CreateDirectoryW(kMarker, nullptr));
  WriteLog(kLogName, L"npCreateAxControl");
  EXPECT_EQ("npCreateAxControl\r\n", ReadAll(XpLog()));
}

// Windows XP (NT 5.1) logs to C:\; NT 6 and later to the application-data
// folder, which the log never creates.
TEST_F(Log, FolderOfTheVersion) {
  OSVERSIONINFOW info = {sizeof(info)};
  ASSERT_TRUE(GetVersionExW(&info));
  bool newer = info.dwMajorVersion >= 6 || (info.dwMajorVersion == 5 && info.dwMinorVersion >= 2);
  CreateMarkerFile();
  if (newer) {
    WriteLog(kLogName, L"before the folder exists");
    EXPECT_FALSE(Exists(NewerLog()));
    SHCreateDirectoryExW(nullptr, AppDataLogFolder().c_str(), nullptr);
  }
  WriteLog(kLogName, L"line %ls", L"one");
  if (newer) {
    EXPECT_EQ(6u, info.dwMajorVersion);
    EXPECT_EQ("line one\r\n", ReadAll(NewerLog()));
    EXPECT_FALSE(Exists(XpLog()));
  } else {
    EXPECT_EQ(5u, info.dwMajorVersion);
    EXPECT_EQ(1u, info.dwMinorVersion);
    EXPECT_EQ("line one\r\n", ReadAll(XpLog()));
    EXPECT_FALSE(Exists(NewerLog()));
  }
}

TEST_F(Log, CreateAxThroughThePlugin) {
  CreateMarkerFile();
  npbrowser::Browser& browser = npbrowser::Browser::Get();
  ASSERT_TRUE(browser.Load(testsupport::BinaryPath(L"npZumiPictavoEx.dll")));
  ASSERT_EQ(NPERR_NO_ERROR, browser.Start());
  npbrowser::PluginInstance instance;
  ASSERT_EQ(NPERR_NO_ERROR, instance.New());
  NPObject* script = instance.Scriptable();
  ASSERT_NE(nullptr, script);
  NPVariant result;
  std::string wrong = "other.dll";
  EXPECT_FALSE(browser.Call(script, "CreateAX", {npbrowser::String(wrong)}, &result));
  std::string name = "ZumiPictavoEx.dll";
  EXPECT_TRUE(browser.Call(script, "CreateAX", {npbrowser::String(name)}, &result));
  EXPECT_TRUE(browser.Call(script, "CreateAX", {npbrowser::String(name)}, &result));
  // A page of another site, with a malformed policy entry in the user's key.
  const wchar_t kPolicyKey[] = L"SOFTWARE\\ORVANE\\ZumiPictavoEx\\SiteLock";
  const wchar_t kEntries[] = L"photos.example.net\0";
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, kPolicyKey, L"AllowedOrigins",
                                           REG_MULTI_SZ, kEntries, sizeof(kEntries)));
  browser.SetPageAddress(
      {"https://photos.example.net", "", npbrowser::PageAddress::Answers::OriginAndLocation});
  EXPECT_FALSE(browser.Call(script, "CreateAX", {npbrowser::String(name)}, &result));
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kPolicyKey, L"AllowedOrigins");
  browser.SetPageAddress(npbrowser::MakerPage());
  browser.Release(script);
  EXPECT_EQ(NPERR_NO_ERROR, instance.Destroy());
  EXPECT_EQ(
      "npCreateAxControl\r\nnpCreateAxControl\r\n"
      "SiteLock: ignored the malformed AllowedOrigins entry \"photos.example.net\" (user)\r\n"
      "SiteLock: refused CreateAX: pages from https://photos.example.net may not use the "
      "control\r\n",
      ReadAll(XpLog()));
}

}  // namespace
