// The update service run end to end: ZumiPictavoUpdateSvr.exe started as its
// caller would, with a loopback server as the update host's proxy, the
// reference engine in the temporary directory (or not), and its dialog
// answered through the dialog's own buttons.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/file_md5.h"
#include "engine_faults.h"
#include "test_paths.h"
#include "flow_driver.h"
#include "viewer_process.h"

namespace {

constexpr wchar_t kUrl[] = L"http://update.orvane.com/ZumiPhotoUpload.exe";
constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\ORVANE\\ZumiPictavoEx\\Updatesetting";
constexpr wchar_t kInternetKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr wchar_t kAppDefaultsKey[] = L"Software\\Wine\\AppDefaults\\ZumiPictavoUpdateSvr.exe";
constexpr int kNoDialog = -1;

// The engine stand-ins as out-of-process server or core library, working or
// silent (they take the task and report nothing; the service then runs with
// its silence limit shortened).
enum class Engine { kNone, kCom, kCore, kComSilent, kCoreSilent };
bool IsCom(Engine engine) { return engine == Engine::kCom || engine == Engine::kComSilent; }
bool IsCore(Engine engine) { return engine == Engine::kCore || engine == Engine::kCoreSilent; }
bool IsSilent(Engine engine) {
  return engine == Engine::kComSilent || engine == Engine::kCoreSilent;
}
using flowdriver::Answer;
using flowdriver::AnswerDialog;
using flowdriver::DialogMode;
// The system proxy: the loopback host itself, a closed port, tinyproxy in
// front of the host, and a tinyproxy that requires Basic authentication,
// named with and without the credentials.
enum class Proxy {
  kLoopback,
  kClosedPort,
  kTinyproxy,
  kTinyproxyWithCredentials,
  kTinyproxyNoCredentials
};
// What else differs from a plain run: the prefix reports Windows XP; a folder
// stands where the installer is to be written; a temporary folder longer
// than a path.
enum class Setup { kPlain, kWindowsXp, kTargetIsFolder, kLongTemp };

using testsupport::Env;
using testsupport::UnixToWindows;
using testsupport::Wide;

// The temporary folder as the test started with it (a case may change TMP).
const std::wstring& TempDir() { return testsupport::StartupTempDir(); }

// TMP as the test started with it.
void RestoreTmp() {
  static const std::wstring original = [] {
    wchar_t buffer[1024] = {};
    GetEnvironmentVariableW(L"TMP", buffer, 1024);
    return std::wstring(buffer);
  }();
  SetEnvironmentVariableW(L"TMP", original.empty() ? nullptr : original.c_str());
}

std::wstring TargetPath() { return TempDir() + L"ZumiPhotoUpload.exe"; }
std::wstring StartedMarker() { return TargetPath() + L".started"; }

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Deletes a file, waiting a little for a process that still holds it.
void Remove(const std::wstring& path) {
  for (int i = 0; i < 50 && Exists(path); ++i) {
    if (DeleteFileW(path.c_str())) return;
    Sleep(100);
  }
}

// The engine server copied into the temporary folder outlives its client
// (it is the engine's business when it ends); a case begins without it.
void EndEngineServers() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  const std::wstring server = TempDir() + L"Orvanedl.exe";
  PROCESSENTRY32W entry = {sizeof(entry)};
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, L"Orvanedl.exe") != 0) continue;
    HANDLE process =
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
                    entry.th32ProcessID);
    if (!process) continue;
    wchar_t image[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    if (QueryFullProcessImageNameW(process, 0, image, &length) &&
        _wcsicmp(image, server.c_str()) == 0) {
      TerminateProcess(process, 1);
      WaitForSingleObject(process, 5000);
    }
    CloseHandle(process);
  }
  CloseHandle(snapshot);
}

// The engine stand-ins' reports of earlier runs (process ids are reused).
void RemoveEngineTraces() {
  for (const wchar_t* pattern : {L"orvanedl-*.txt", L"brimcore-*.txt"}) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((TempDir() + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) continue;
    do {
      DeleteFileW((TempDir() + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
}

// The file the engine stand-in of this kind writes for a client process.
std::wstring EngineTrace(const wchar_t* kind, DWORD clientPid) {
  return TempDir() + kind + L"-" + std::to_wstring(clientPid) + L".txt";
}

std::wstring InstallerDigest(DigestKind kind) {
  return Wide(GetFileDigest(UnixToWindows(Env("ZP_FLOW_INSTALLER")), kind));
}

std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  return text;
}

std::vector<std::string> Requests() {
  std::vector<std::string> lines;
  std::ifstream in(Env("ZP_FLOW_REQUESTS"));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

void ClearRequests() { std::ofstream(Env("ZP_FLOW_REQUESTS"), std::ios::trunc); }

bool ReadIgnoreValue(std::wstring& value) {
  wchar_t buffer[512] = {};
  DWORD size = sizeof(buffer);
  if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, L"IgnoreMD5Value", RRF_RT_REG_SZ, nullptr,
                   buffer, &size) != ERROR_SUCCESS)
    return false;
  value = buffer;
  return true;
}

void SetString(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& value) {
  RegSetKeyValueW(root, key, name, REG_SZ, value.c_str(),
                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void SetSystemProxy(const std::wstring& server) {
  DWORD enable = 1;
  RegSetKeyValueW(HKEY_CURRENT_USER, kInternetKey, L"ProxyEnable", REG_DWORD, &enable,
                  sizeof(enable));
  SetString(HKEY_CURRENT_USER, kInternetKey, L"ProxyServer", server);
}

void ClearSystemProxy() {
  DWORD enable = 0;
  RegSetKeyValueW(HKEY_CURRENT_USER, kInternetKey, L"ProxyEnable", REG_DWORD, &enable,
                  sizeof(enable));
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kInternetKey, L"ProxyServer");
}

// One running ZumiPictavoUpdateSvr.exe.
class FlowProcess : public flowdriver::FlowProcess {
 public:
  explicit FlowProcess(const std::wstring& params, const std::wstring& leadingArgs = L"",
                       const wchar_t* program = L"ZumiPictavoUpdateSvr.exe")
      : flowdriver::FlowProcess(testsupport::BinaryPath(program), params, leadingArgs) {}
};

// The user's mutex of the running upload control.
class ControlMutex {
 public:
  ControlMutex() : m_handle(CreateMutexW(nullptr, TRUE, L"ZumiPictavoEx")) {}
  ~ControlMutex() { Release(); }
  ControlMutex(const ControlMutex&) = delete;
  ControlMutex& operator=(const ControlMutex&) = delete;
  void Release() {
    if (!m_handle) return;
    ReleaseMutex(m_handle);
    CloseHandle(m_handle);
    m_handle = nullptr;
  }

 private:
  HANDLE m_handle;
};

std::wstring Replace(std::wstring text, const std::wstring& from, const std::wstring& to) {
  for (size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

struct FlowCase {
  const char* name;
  // {URL}, {MD5} and {SHA} (lowercase digests), {MD5UP} and {SHAUP}
  // (uppercase) are filled in.
  const wchar_t* params;
  Engine engine;
  const wchar_t* storedIgnore;  // preset "IgnoreMD5Value", or null
  Setup setup;
  Proxy proxy;
  Answer answer;
  int expectedExit;
  int expectedMode;  // kNoDialog, 0 or 1
  bool expectStarted;
  bool expectRequests;
  const wchar_t* expectedIgnore;  // "IgnoreMD5Value" afterwards, or null for none
};

void PrintTo(const FlowCase& c, std::ostream* os) { *os << c.name; }

const FlowCase kCases[] = {
    {"four_fields", L"{URL}|{MD5}|x|Hello", Engine::kCore, nullptr, Setup::kPlain, Proxy::kLoopback,
     Answer::kNone, -1, kNoDialog, false, false, nullptr},
    {"outside_vendor_domain", L"http://update.example.com/a.exe|{MD5}|x|Hello|0", Engine::kCore,
     nullptr, Setup::kPlain, Proxy::kLoopback, Answer::kNone, -1, kNoDialog, false, false, nullptr},
    {"http_engine_absent_ok", L"{URL}|{MD5}|x|Hello|0", Engine::kNone, nullptr, Setup::kPlain,
     Proxy::kLoopback, Answer::kOk, 0, 0, true, true, nullptr},
    {"com_engine_ok", L"{URL}|{MD5}|x|Hello|0", Engine::kCom, nullptr, Setup::kPlain,
     Proxy::kLoopback, Answer::kOk, 0, 0, true, true, nullptr},
    {"doubled_and_leading_separators_forced_close", L"||{URL}||{MD5}|x|Hello|1|more|fields",
     Engine::kCore, nullptr, Setup::kPlain, Proxy::kLoopback, Answer::kClose, 0, 1, true, true,
     nullptr},
    {"field5_one_blank_not_forced", L"{URL}|{MD5}|x|Hello|1 ", Engine::kCore, nullptr,
     Setup::kPlain, Proxy::kLoopback, Answer::kOk, 0, 0, true, true, nullptr},
    {"field5_zero_one_cancel_stores_nothing", L"{URL}|{MD5}|x|Hello|01", Engine::kCore, nullptr,
     Setup::kPlain, Proxy::kLoopback, Answer::kCancel, 0, 0, false, true, nullptr},
    {"cancel_checked_stores_digest", L"{URL}|{MD5}|x|Hello|0", Engine::kCore, nullptr,
     Setup::kPlain, Proxy::kLoopback, Answer::kCancelChecked, 0, 0, false, true, L"{MD5}"},
    {"ignore_value_equal", L"{URL}|{MD5}|x|Hello|0", Engine::kCore, L"{MD5}", Setup::kPlain,
     Proxy::kLoopback, Answer::kNone, 0, kNoDialog, false, false, L"{MD5}"},
    {"ignore_value_other_case", L"{URL}|{MD5}|x|Hello|0", Engine::kCore, L"{MD5UP}", Setup::kPlain,
     Proxy::kLoopback, Answer::kOk, 0, 0, true, true, L"{MD5UP}"},
    {"uppercase_digest_matches", L"{URL}|{MD5UP}|x|Hello|0", Engine::kCore, nullptr, Setup::kPlain,
     Proxy::kLoopback, Answer::kOk, 0, 0, true, true, nullptr},
    {"wrong_digest", L"{URL}|0123456789abcdef0123456789abcdef|x|Hello|1", Engine::kCore, nullptr,
     Setup::kPlain, Proxy::kLoopback, Answer::kNone, -7, kNoDialog, false, true, nullptr},
    {"sha256_digest_matches", L"{URL}|{SHA}|x|Hello|0", Engine::kCom, nullptr, Setup::kPlain,
     Proxy::kLoopback, Answer::kOk, 0, 0, true, true, nullptr},
    {"sha256_uppercase_matches_and_is_stored_as_given", L"{URL}|{SHAUP}|x|Hello|0", Engine::kNone,
     nullptr, Setup::kPlain, Proxy::kLoopback, Answer::kCancelChecked, 0, 0, false, true,
     L"{SHAUP}"},
    {"wrong_sha256_digest",
     L"{URL}|0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef|x|Hello|1",
     Engine::kCore, nullptr, Setup::kPlain, Proxy::kLoopback, Answer::kNone, -7, kNoDialog, false,
     true, nullptr},
    {"silent_com_engine_gives_way_to_http", L"{URL}|{MD5}|x|Hello|0", Engine::kComSilent, nullptr,
     Setup::kPlain, Proxy::kLoopback, Answer::kOk, 0, 0, true, true, nullptr},
    {"silent_core_engine_gives_way_to_http", L"{URL}|{SHA}|x|Hello|1", Engine::kCoreSilent, nullptr,
     Setup::kPlain, Proxy::kLoopback, Answer::kOk, 0, 1, true, true, nullptr},
    {"unreachable_server", L"{URL}|{MD5}|x|Hello|1", Engine::kNone, nullptr, Setup::kPlain,
     Proxy::kClosedPort, Answer::kNone, -5, kNoDialog, false, false, nullptr},
    {"windows_xp_no_dialog", L"{URL}|{MD5}|x|Hello|0", Engine::kCore, nullptr, Setup::kWindowsXp,
     Proxy::kLoopback, Answer::kNone, 0, kNoDialog, true, true, nullptr},
    {"http_through_tinyproxy", L"{URL}|{MD5}|x|Hello|1", Engine::kNone, nullptr, Setup::kPlain,
     Proxy::kTinyproxy, Answer::kOk, 0, 1, true, true, nullptr},
    {"engine_through_tinyproxy", L"{URL}|{MD5}|x|Hello|1", Engine::kCore, nullptr, Setup::kPlain,
     Proxy::kTinyproxy, Answer::kOk, 0, 1, true, true, nullptr},
    {"http_through_tinyproxy_with_credentials", L"{URL}|{MD5}|x|Hello|1", Engine::kNone, nullptr,
     Setup::kPlain, Proxy::kTinyproxyWithCredentials, Answer::kOk, 0, 1, true, true, nullptr},
    // The proxy's refusal page arrives as the body of a successful fetch; the
    // digest check stops it.
    {"http_through_tinyproxy_without_credentials", L"{URL}|{MD5}|x|Hello|1", Engine::kNone, nullptr,
     Setup::kPlain, Proxy::kTinyproxyNoCredentials, Answer::kNone, -7, kNoDialog, false, false,
     nullptr},
    {"target_not_writable", L"{URL}|{MD5}|x|Hello|1", Engine::kNone, nullptr,
     Setup::kTargetIsFolder, Proxy::kLoopback, Answer::kNone, -5, kNoDialog, false, true, nullptr},
    {"temp_folder_too_long", L"{URL}|{MD5}|x|Hello|1", Engine::kCore, nullptr, Setup::kLongTemp,
     Proxy::kLoopback, Answer::kNone, -3, kNoDialog, false, false, nullptr},
};

class UpdateFlowTest : public ::testing::TestWithParam<FlowCase> {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Env("ZP_FLOW_PORT").empty()) << "run beside flow_server.py";
    m_digest = InstallerDigest(DigestKind::kMd5);
    m_sha256 = InstallerDigest(DigestKind::kSha256);
    ASSERT_EQ(32u, m_digest.size());
    ASSERT_EQ(64u, m_sha256.size());
    ResetState();
  }
  void TearDown() override { ResetState(); }

  void ResetState() {
    EndEngineServers();
    RemoveEngineTraces();
    RestoreTmp();
    RemoveDirectoryW(TargetPath().c_str());
    for (const wchar_t* name : {L"ZumiPhotoUpload.exe", L"ZumiPhotoUpload.exe.started",
                                L"Orvanedl.exe", L"brimcore.dll", enginefixture::kFaultFileName})
      Remove(TempDir() + name);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"IgnoreMD5Value");
    RegDeleteKeyW(HKEY_CURRENT_USER, kAppDefaultsKey);
    ClearSystemProxy();
    ClearRequests();
  }

  std::wstring Fill(std::wstring text) const {
    text = Replace(Replace(text, L"{MD5UP}", Upper(m_digest)), L"{SHAUP}", Upper(m_sha256));
    return Replace(Replace(Replace(text, L"{URL}", kUrl), L"{MD5}", m_digest), L"{SHA}", m_sha256);
  }

  void Prepare(const FlowCase& c) {
    if (IsCom(c.engine))
      ASSERT_TRUE(CopyFileW(testsupport::BinaryPath(L"Orvanedl.exe").c_str(),
                            (TempDir() + L"Orvanedl.exe").c_str(), FALSE));
    if (IsCore(c.engine))
      ASSERT_TRUE(CopyFileW(testsupport::BinaryPath(L"brimcore.dll").c_str(),
                            (TempDir() + L"brimcore.dll").c_str(), FALSE));
    if (IsSilent(c.engine)) {
      std::unique_ptr<FILE, int (*)(FILE*)> fault(
          _wfopen((TempDir() + enginefixture::kFaultFileName).c_str(), L"wb"), &fclose);
      ASSERT_TRUE(fault);
      fprintf(fault.get(), "%u", static_cast<unsigned>(enginefixture::kFaultSilent));
    }
    if (c.storedIgnore)
      SetString(HKEY_CURRENT_USER, kSettingsKey, L"IgnoreMD5Value", Fill(c.storedIgnore));
    if (c.setup == Setup::kWindowsXp)
      SetString(HKEY_CURRENT_USER, kAppDefaultsKey, L"Version", L"winxp");
    if (c.setup == Setup::kTargetIsFolder)
      ASSERT_TRUE(CreateDirectoryW(TargetPath().c_str(), nullptr));
    if (c.setup == Setup::kLongTemp)
      SetEnvironmentVariableW(L"TMP", (TempDir() + std::wstring(300, L'x')).c_str());
    const std::string auth = Env("ZP_FLOW_TINYPROXY_AUTH_PORT");
    const std::map<Proxy, std::string> ports = {{Proxy::kLoopback, Env("ZP_FLOW_PORT")},
                                                {Proxy::kClosedPort, "1"},
                                                {Proxy::kTinyproxy, Env("ZP_FLOW_TINYPROXY_PORT")},
                                                {Proxy::kTinyproxyWithCredentials, auth},
                                                {Proxy::kTinyproxyNoCredentials, auth}};
    if (ports.at(c.proxy).empty()) GTEST_SKIP() << "tinyproxy is not installed";
    // Credentials in the proxy setting are how the fetch is given them here.
    const std::wstring credentials =
        c.proxy == Proxy::kTinyproxyWithCredentials ? L"http://agent:s3cret@" : L"";
    SetSystemProxy(credentials + L"127.0.0.1:" + Wide(ports.at(c.proxy)));
  }

  std::wstring m_digest;
  std::wstring m_sha256;
};

TEST_P(UpdateFlowTest, RunsToItsResult) {
  const FlowCase& c = GetParam();
  Prepare(c);
  if (IsSkipped()) return;
  ViewerProcess viewer;
  ASSERT_TRUE(viewer.Start(TempDir() + L"update_flow_log.txt", true));

  FlowProcess flow(Fill(c.params), L"",
                   IsSilent(c.engine) ? L"UpdateSvrShortSilence.exe" : L"ZumiPictavoUpdateSvr.exe");
  ASSERT_TRUE(flow.Started());
  int mode = kNoDialog;
  if (c.expectedMode != kNoDialog) {
    HWND dialog = flow.WaitForDialog();
    ASSERT_NE(nullptr, dialog) << "no dialog; exit " << flow.Wait(0);
    mode = DialogMode(dialog);
    AnswerDialog(dialog, c.answer);
  }
  EXPECT_EQ(c.expectedExit, flow.Wait());
  EXPECT_EQ(c.expectedMode, mode);
  Sleep(c.expectStarted ? 1500 : 0);  // the installer writes its marker
  EXPECT_EQ(c.expectStarted, Exists(StartedMarker()));

  if (c.expectRequests) {
    EXPECT_EQ(IsCom(c.engine), Exists(EngineTrace(L"orvanedl", flow.Pid())));
    EXPECT_EQ(IsCore(c.engine), Exists(EngineTrace(L"brimcore", flow.Pid())));
  }
  std::vector<std::string> requests = Requests();
  EXPECT_EQ(c.expectRequests, !requests.empty());
  // A silent engine asks for nothing: the fetch by HTTP does.
  const bool engineDelivered = c.engine == Engine::kCom || c.engine == Engine::kCore;
  for (const std::string& request : requests) {
    EXPECT_EQ(0u, request.find("http://update.orvane.com")) << request;
    EXPECT_NE(std::string::npos, request.find("/ZumiPhotoUpload.exe ")) << request;
    EXPECT_EQ(engineDelivered, request.find("Orvanedl") != std::string::npos) << request;
    EXPECT_EQ(c.proxy != Proxy::kLoopback, request.find("tinyproxy") != std::string::npos)
        << request;
  }
  // A downloaded installer stays, started or not.
  if (c.expectRequests) EXPECT_TRUE(Exists(TargetPath()));

  std::wstring stored;
  const bool bStored = ReadIgnoreValue(stored);
  EXPECT_EQ(c.expectedIgnore != nullptr, bStored);
  if (c.expectedIgnore && bStored) EXPECT_EQ(Fill(c.expectedIgnore), stored);

  viewer.Stop();
  std::string records;
  for (const std::string& line : viewer.ReadLines()) records += line + "\n";
  const bool engineTried = c.expectRequests || c.expectedExit < -4;
  EXPECT_EQ(engineTried, records.find("CreateDownloader") != std::string::npos) << records;
  EXPECT_EQ(engineTried, records.find("DestoryDownloader.") != std::string::npos) << records;
  EXPECT_EQ(
      IsSilent(c.engine),
      records.find("The engine reported nothing for 4 s; fetching by HTTP.") != std::string::npos)
      << records;
}

INSTANTIATE_TEST_SUITE_P(Cases, UpdateFlowTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<FlowCase>& info) {
                           return info.param.name;
                         });

// Instances while the upload control runs: a second one is refused at once;
// of three started together exactly one goes on, and it goes on once the
// control has ended.
class FlowProgramTest : public UpdateFlowTest {};

int WaitForExits(std::vector<std::unique_ptr<FlowProcess>>& flows, size_t count,
                 std::vector<int>& codes) {
  for (int i = 0; i < 300; ++i) {
    codes.clear();
    for (auto& flow : flows)
      if (!flow->Running()) codes.push_back(flow->Wait(0));
    if (codes.size() >= count) break;
    Sleep(100);
  }
  return static_cast<int>(codes.size());
}

TEST_F(FlowProgramTest, OnlyOneInstanceGoesOnAndWaitsForTheControl) {
  Prepare(kCases[2]);
  ASSERT_TRUE(CopyFileW(testsupport::BinaryPath(L"brimcore.dll").c_str(),
                        (TempDir() + L"brimcore.dll").c_str(), FALSE));
  ControlMutex control;
  const std::wstring params = Fill(L"{URL}|{MD5}|x|Hello|0");
  std::vector<std::unique_ptr<FlowProcess>> flows;
  for (int i = 0; i < 3; ++i) flows.push_back(std::make_unique<FlowProcess>(params));
  std::vector<int> codes;
  ASSERT_EQ(2, WaitForExits(flows, 2, codes));
  EXPECT_EQ((std::vector<int>{-4, -4}), codes);
  FlowProcess* first = nullptr;
  for (auto& flow : flows)
    if (flow->Running()) first = flow.get();
  ASSERT_NE(nullptr, first);

  // The one left downloads and verifies, then waits while the control runs.
  for (int i = 0; i < 300 && !Exists(TargetPath()); ++i) Sleep(100);
  ASSERT_TRUE(Exists(TargetPath()));
  Sleep(3000);
  FlowProcess second(params);
  EXPECT_EQ(-4, second.Wait(30000));
  EXPECT_TRUE(first->Running());
  EXPECT_EQ(1u, Requests().size());
  // The verified installer cannot be replaced or removed before it starts.
  HANDLE writer =
      CreateFileW(TargetPath().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(INVALID_HANDLE_VALUE, writer);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  EXPECT_FALSE(DeleteFileW(TargetPath().c_str()));

  control.Release();
  HWND dialog = first->WaitForDialog();
  ASSERT_NE(nullptr, dialog);
  AnswerDialog(dialog, Answer::kOk);
  EXPECT_EQ(0, first->Wait());
  Sleep(1500);
  EXPECT_TRUE(Exists(StartedMarker()));
}

// Arguments beginning with "-" or "/" are passed over: the first other one
// is the parameter string, whatever follows it. The stored ignore value
// equal to its digest ends the run with 0 before any request; a run that
// finds no parameter string ends with -1.
TEST_F(FlowProgramTest, TheFirstArgumentThatIsNoFlagIsTheParameterString) {
  SetString(HKEY_CURRENT_USER, kSettingsKey, L"IgnoreMD5Value", m_digest);
  const std::wstring params = Fill(L"{URL}|{MD5}|x|Hello|0");
  EXPECT_EQ(0, FlowProcess(params, L"-silent /x").Wait());
  EXPECT_EQ(0, FlowProcess(L"other", L"/x \"" + params + L"\"").Wait());
  EXPECT_EQ(-1, FlowProcess(L"-" + params, L"/x").Wait());
  EXPECT_TRUE(Requests().empty());
}

}  // namespace
