// CHttpFetch::Get against the loopback server started by loopback_server.py.
#include <gtest/gtest.h>
#include <windows.h>
#include <wincrypt.h>
#include <wininet.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/http_fetch.h"

namespace {

std::string Port() {
  const char* port = std::getenv("ZP_HTTP_PORT");
  return port ? port : "";
}

std::string Url(const std::string& path) { return "http://127.0.0.1:" + Port() + path; }

std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i % 251);
  return bytes;
}

bool IsPattern(const std::string& body) {
  for (size_t i = 0; i < body.size(); ++i) {
    if (static_cast<unsigned char>(body[i]) != i % 251) return false;
  }
  return true;
}

class HttpFetchTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(Port().empty()) << "run through loopback_server.py"; }
};

// Values of the user's Internet settings, set while alive and removed after.
class ScopedInternetSettings {
 public:
  ScopedInternetSettings() {
    RegCreateKeyExW(HKEY_CURRENT_USER,
                    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", 0, nullptr,
                    0, KEY_SET_VALUE, nullptr, &m_key, nullptr);
  }
  ~ScopedInternetSettings() {
    if (!m_key) return;
    for (const std::wstring& name : m_names) RegDeleteValueW(m_key, name.c_str());
    RegCloseKey(m_key);
  }
  ScopedInternetSettings(const ScopedInternetSettings&) = delete;
  ScopedInternetSettings& operator=(const ScopedInternetSettings&) = delete;

  void SetText(const wchar_t* name, const std::wstring& value) {
    Set(name, REG_SZ, value.c_str(), (value.size() + 1) * sizeof(wchar_t));
  }
  void SetNumber(const wchar_t* name, DWORD value) { Set(name, REG_DWORD, &value, sizeof value); }

 private:
  void Set(const wchar_t* name, DWORD type, const void* data, size_t bytes) {
    RegSetValueExW(m_key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(bytes));
    m_names.push_back(name);
  }
  HKEY m_key = nullptr;
  std::vector<std::wstring> m_names;
};

// The user's Internet settings name `server` as proxy while alive.
class ScopedSystemProxy : public ScopedInternetSettings {
 public:
  explicit ScopedSystemProxy(const std::wstring& server) {
    SetNumber(L"ProxyEnable", 1);
    SetText(L"ProxyServer", server);
  }
};

// The system's proxy settings with a user name and password beside them,
// as Windows keeps them for a proxy that asks for credentials.
class ScopedProxyCredentials {
 public:
  ScopedProxyCredentials(std::wstring userName, std::wstring password) {
    s_userName = std::move(userName);
    s_password = std::move(password);
    CHttpFetch::SetOptionQuery(&Query);
  }
  ~ScopedProxyCredentials() { CHttpFetch::SetOptionQuery(nullptr); }
  ScopedProxyCredentials(const ScopedProxyCredentials&) = delete;
  ScopedProxyCredentials& operator=(const ScopedProxyCredentials&) = delete;

 private:
  static bool Query(uint32_t option, void* buffer, uint32_t* length) {
    const std::wstring* text = option == INTERNET_OPTION_PROXY_USERNAME   ? &s_userName
                               : option == INTERNET_OPTION_PROXY_PASSWORD ? &s_password
                                                                          : nullptr;
    if (text == nullptr) {
      DWORD size = *length;
      bool ok = InternetQueryOptionW(nullptr, option, buffer, &size) != FALSE;
      *length = size;
      return ok;
    }
    uint32_t bytes = static_cast<uint32_t>((text->size() + 1) * sizeof(wchar_t));
    if (bytes > *length) return false;
    std::memcpy(buffer, text->c_str(), bytes);
    *length = bytes;
    return true;
  }
  static std::wstring s_userName;
  static std::wstring s_password;
};
std::wstring ScopedProxyCredentials::s_userName;
std::wstring ScopedProxyCredentials::s_password;

}  // namespace

TEST_F(HttpFetchTest, BodyIsReceived) {
  CHttpFetch fetch;
  fetch.m_nTimeoutMs = 30000;
  std::string body = "old";
  EXPECT_EQ(0u, fetch.Get(Url("/file?size=300000"), body));
  EXPECT_EQ(300000u, body.size());
  EXPECT_TRUE(IsPattern(body));
  // Sized once for the announced length: the body arrives without copies.
  EXPECT_EQ(1u, fetch.Allocations());
  EXPECT_EQ(0u, fetch.Capacity() % CHttpFetch::kGrowStep);
}

TEST_F(HttpFetchTest, EmptyUrlTouchesNothing) {
  CHttpFetch fetch;
  std::string body = "keep";
  EXPECT_EQ(7u, fetch.Get("", body));
  EXPECT_EQ("keep", body);
  EXPECT_EQ(0u, fetch.Capacity());
  EXPECT_EQ(0u, fetch.Size());
}

TEST_F(HttpFetchTest, NotFoundPageIsABody) {
  CHttpFetch fetch;
  fetch.m_nTimeoutMs = 30000;
  std::string body;
  EXPECT_EQ(0u, fetch.Get(Url("/404"), body));
  EXPECT_EQ("<html><body>no such file</body></html>", body);
}

TEST_F(HttpFetchTest, RedirectIsFollowed) {
  CHttpFetch fetch;
  fetch.m_nTimeoutMs = 30000;
  std::string body;
  EXPECT_EQ(0u, fetch.Get(Url("/redirect"), body));
  EXPECT_EQ("hello from loopback", body);
}

TEST_F(HttpFetchTest, HeaderModeKeepsHeadersAndDoesNotFollow) {
  CHttpFetch fetch;
  fetch.m_nTimeoutMs = 30000;
  fetch.m_bHeader = true;
  std::string body;
  EXPECT_EQ(0u, fetch.Get(Url("/redirect"), body));
  EXPECT_EQ(0u, body.find("HTTP/1.1 302")) << body;
  EXPECT_NE(std::string::npos, body.find("Location: /hello"));
  EXPECT_EQ(std::string::npos, body.find("hello from loopback"));
}

TEST_F(HttpFetchTest, CookieIsSentWhenSet) {
  CHttpFetch fetch;
  fetch.m_nTimeoutMs = 30000;
  fetch.m_strCookie = "session=abc";
  std::string body;
  EXPECT_EQ(0u, fetch.Get(Url("/cookie"), body));
  EXPECT_EQ("COOKIE session=abc", body);
}

TEST_F(HttpFetchTest, PartialTransferGivesThePartialBody) {
  CHttpFetch fetch;
  fetch.m_nTimeoutMs = 30000;
  std::string body;
  EXPECT_EQ(0u, fetch.Get(Url("/partial"), body));
  EXPECT_EQ(30000u, body.size());
  EXPECT_TRUE(IsPattern(body));
}

TEST_F(HttpFetchTest, StallEndsInTimeOutWithWhatArrived) {
  CHttpFetch fetch;
  fetch.m_nTimeoutMs = 500;  // rounds to libcurl's one-second minimum
  std::string body = "old";
  DWORD start = GetTickCount();
  EXPECT_EQ(2u, fetch.Get(Url("/stall"), body));
  DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 900u);
  EXPECT_LT(elapsed, 10000u);
  EXPECT_EQ(Pattern(10), body);
}

TEST_F(HttpFetchTest, UnresolvableHostAndRefusedConnection) {
  CHttpFetch unresolved;
  unresolved.m_nTimeoutMs = 30000;
  std::string body = "keep";
  EXPECT_EQ(3u, unresolved.Get("http://no-such-host.invalid/a.exe", body));
  EXPECT_EQ("keep", body);

  CHttpFetch refused;
  refused.m_nTimeoutMs = 30000;
  EXPECT_EQ(4u, refused.Get("http://127.0.0.1:1/a.exe", body));
  EXPECT_EQ("keep", body);
}

TEST_F(HttpFetchTest, BodyBeyondTheReceiveLimitFails) {
  CHttpFetch fetch;
  fetch.m_nTimeoutMs = 120000;
  std::string body;
  uint32_t result =
      fetch.Get(Url("/file?size=" + std::to_string(CHttpFetch::kReceiveLimit + 1)), body);
  EXPECT_NE(0u, result);
  EXPECT_LE(body.size(), CHttpFetch::kReceiveLimit);
  EXPECT_LE(fetch.Capacity(), CHttpFetch::kReceiveLimit);
}

// A fetch through the system's proxy, which echoes the request line and the
// Proxy-Authorization it received.
struct ProxyCase {
  const char* name;
  const wchar_t* proxyPrefix;  // before "127.0.0.1:PORT" in the setting
  const wchar_t* userName;     // handed over as the proxy user name; null for none
  const wchar_t* password;
  const char* authLine;
};

// "YWdlbnQ6czNjcmV0" is "agent:s3cret" in Base64.
const ProxyCase kProxyCases[] = {
    {"NoCredentialsConfigured", L"", nullptr, nullptr, "AUTH \n"},
    // Wine reports no proxy user name for the process-wide settings; a proxy
    // string that carries credentials is handed to libcurl unchanged.
    {"CredentialsInTheProxySetting", L"http://agent:s3cret@", nullptr, nullptr,
     "AUTH Basic YWdlbnQ6czNjcmV0\n"},
    {"ProxyUserNameAndPassword", L"", L"agent", L"s3cret", "AUTH Basic YWdlbnQ6czNjcmV0\n"},
    {"EmptyUserNameSendsNoCredentials", L"", L"", L"s3cret", "AUTH \n"},
};

class HttpFetchProxyTest : public HttpFetchTest, public ::testing::WithParamInterface<ProxyCase> {};

TEST_P(HttpFetchProxyTest, AbsoluteFormRequestAndCredentialsReachTheProxy) {
  const ProxyCase& c = GetParam();
  const std::string port = Port();
  ScopedSystemProxy proxy(c.proxyPrefix + (L"127.0.0.1:" + std::wstring(port.begin(), port.end())));
  std::unique_ptr<ScopedProxyCredentials> credentials;
  if (c.userName) credentials = std::make_unique<ScopedProxyCredentials>(c.userName, c.password);
  CHttpFetch fetch;
  fetch.m_nTimeoutMs = 30000;
  std::string body;
  EXPECT_EQ(0u, fetch.Get("http://update.orvane.invalid/setup/ZumiPhotoUpload.exe", body));
  EXPECT_EQ(
      0u, body.find("PROXY GET http://update.orvane.invalid/setup/ZumiPhotoUpload.exe HTTP/1.1\n"))
      << body;
  EXPECT_NE(std::string::npos, body.find(c.authLine)) << body;
}

INSTANTIATE_TEST_SUITE_P(SystemProxy, HttpFetchProxyTest, ::testing::ValuesIn(kProxyCases),
                         [](const ::testing::TestParamInfo<ProxyCase>& info) {
                           return std::string(info.param.name);
                         });

// A fetch of /hello under a configuration script; the loopback server is
// the static proxy where `staticProxy`, and what a script names as proxy.
struct ScriptCase {
  const char* name;
  const char* scriptPath;  // "%PORT%" stands for the server's port; null for none
  bool autoDetect;
  bool staticProxy;
  bool proxied;        // the request reached the server as a proxy
  const char* reason;  // in the log line
};

const ScriptCase kScriptCases[] = {
    {"ScriptNamesTheProxy", "/proxy.pac?answer=PROXY%20127.0.0.1:%PORT%;%20DIRECT", false, false,
     true, "proxy 127.0.0.1:"},
    {"ScriptSaysDirect", "/proxy.pac?answer=DIRECT", false, true, false, "no proxy (DIRECT)"},
    {"ScriptNotFoundUsesStaticProxy", "/404", false, true, true,
     "static proxy setting: the script"},
    {"ScriptSyntaxErrorUsesStaticProxy", "/broken.pac", false, true, true,
     "static proxy setting: the script"},
    {"DetectionFindsNoScript", nullptr, true, true, true, "static proxy setting: detection failed"},
    {"NoScriptUsesStaticProxy", nullptr, false, true, true,
     "static proxy setting: no configuration script"},
};

class HttpFetchScriptTest : public HttpFetchTest,
                            public ::testing::WithParamInterface<ScriptCase> {};

TEST_P(HttpFetchScriptTest, ProxyComesFromTheScriptOrTheStaticSetting) {
  const ScriptCase& c = GetParam();
  const std::string port = Port();
  const std::wstring wport(port.begin(), port.end());
  std::wstring script;
  if (c.scriptPath) {
    std::string path = c.scriptPath;
    size_t mark = path.find("%PORT%");
    if (mark != std::string::npos) path.replace(mark, 6, port);
    std::string url = Url(path);
    script.assign(url.begin(), url.end());
  }
  ScopedInternetSettings settings;
  if (!script.empty()) settings.SetText(L"AutoConfigURL", script);
  settings.SetNumber(L"AutoDetect", c.autoDetect ? 1 : 0);
  std::unique_ptr<ScopedSystemProxy> proxy;
  if (c.staticProxy) proxy = std::make_unique<ScopedSystemProxy>(L"127.0.0.1:" + wport);
  CHttpFetch fetch;
  fetch.m_nTimeoutMs = 60000;
  std::string body;
  EXPECT_EQ(0u, fetch.Get(Url("/hello"), body));
  EXPECT_EQ(c.proxied ? "PROXY GET " + Url("/hello") + " HTTP/1.1\nAUTH \n" : "hello from loopback",
            body);
  std::wstring reason = fetch.ProxyReason();
  EXPECT_NE(std::wstring::npos, reason.find(std::wstring(c.reason, c.reason + strlen(c.reason))))
      << std::string(reason.begin(), reason.end());
}

INSTANTIATE_TEST_SUITE_P(ProxyScript, HttpFetchScriptTest, ::testing::ValuesIn(kScriptCases),
                         [](const ::testing::TestParamInfo<ScriptCase>& info) {
                           return std::string(info.param.name);
                         });

// A transfer of 100000 bytes from /ranged that breaks halfway, and what the
// fetch made of it: its result, the body and the requests the host received.
struct ResumeCase {
  const char* name;
  const char* query;
  uint32_t stallMs;  // 0: the fetch's own
  uint32_t result;
  size_t bodySize;
  uint32_t leastMs;  // the waits before the tries
  const char* requests;
};

const ResumeCase kResumeCases[] = {
    {"ResetWithEntityTagResumes", "how=reset", 0, 0, 100000, 1000,
     "range=- if-range=-\nrange=bytes=50000- if-range=\"v1\"\n"},
    {"ClosedShortWithDateResumes", "how=close&validator=date", 0, 0, 100000, 1000,
     "range=- if-range=-\nrange=bytes=50000- if-range=Wed, 09 Dec 2026 10:00:00 GMT\n"},
    {"StallResumes", "how=stall", 2000, 0, 100000, 1000,
     "range=- if-range=-\nrange=bytes=50000- if-range=\"v1\"\n"},
    {"ChangedTagGetsTheWholeBodyAgain", "how=reset&change=1", 0, 0, 100000, 1000,
     "range=- if-range=-\nrange=bytes=50000- if-range=\"v1\"\n"},
    // Without ranges, and after the last try, the short body is all there
    // is, as before: the digest check refuses it. (Wine's sockets report a
    // reset as an early close.)
    {"ResetWithoutRangesEndsShort", "how=reset&ranges=0", 0, 0, 50000, 0, "range=- if-range=-\n"},
    {"ThreeFailedTriesEndShort", "how=reset&cuts=4", 0, 0, 93750, 7000,
     "range=- if-range=-\nrange=bytes=50000- if-range=\"v1\"\nrange=bytes=75000- "
     "if-range=\"v1\"\nrange=bytes=87500- if-range=\"v1\"\n"},
};

class HttpFetchResumeTest : public HttpFetchTest,
                            public ::testing::WithParamInterface<ResumeCase> {};

TEST_P(HttpFetchResumeTest, InterruptedTransferResumesWhereTheHostAllows) {
  const ResumeCase& c = GetParam();
  CHttpFetch fetch;
  fetch.m_nTimeoutMs = 60000;
  if (c.stallMs) fetch.m_nStallMs = c.stallMs;
  std::string body;
  DWORD start = GetTickCount();
  EXPECT_EQ(c.result, fetch.Get(Url(std::string("/ranged?id=") + c.name + "&" + c.query), body));
  EXPECT_GE(GetTickCount() - start, c.leastMs);
  EXPECT_EQ(c.bodySize, body.size());
  EXPECT_TRUE(IsPattern(body));
  EXPECT_EQ(1u, fetch.Allocations());  // the rest, or the body again, fits
  CHttpFetch log;
  log.m_nTimeoutMs = 30000;
  std::string requests;
  EXPECT_EQ(0u, log.Get(Url(std::string("/requests?id=") + c.name), requests));
  EXPECT_EQ(c.requests, requests);
}

INSTANTIATE_TEST_SUITE_P(Resume, HttpFetchResumeTest, ::testing::ValuesIn(kResumeCases),
                         [](const ::testing::TestParamInfo<ResumeCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(HttpFetchBufferTest, GrowsInWholeStepsFromTheFirstBuffer) {
  std::string block = Pattern(10241);
  CHttpFetch exact;
  EXPECT_TRUE(exact.AppendData(block.data(), 10240));
  EXPECT_EQ(10240u, exact.Capacity());

  CHttpFetch oneMore;
  EXPECT_TRUE(oneMore.AppendData(block.data(), 10241));
  EXPECT_EQ(20480u, oneMore.Capacity());
  EXPECT_EQ(10241u, oneMore.Size());

  CHttpFetch none;
  EXPECT_FALSE(none.AppendData(nullptr, 5));
  EXPECT_FALSE(none.AppendData(block.data(), 0));
  EXPECT_EQ(0u, none.Capacity());
}

TEST(HttpFetchBufferTest, ManySmallBlocksKeepContentAndStepMultiples) {
  CHttpFetch fetch;
  std::string all = Pattern(3000000);
  for (size_t offset = 0; offset < all.size(); offset += 1000) {
    ASSERT_TRUE(fetch.AppendData(all.data() + offset, 1000));
    ASSERT_EQ(0u, fetch.Capacity() % CHttpFetch::kGrowStep);
    ASSERT_GE(fetch.Capacity(), fetch.Size());
  }
  EXPECT_EQ(all.size(), fetch.Size());
  // Geometric growth: far fewer than one growth per block.
  EXPECT_LE(fetch.Capacity(), 2 * all.size() + CHttpFetch::kGrowStep);
}

TEST(HttpFetchBufferTest, ReceiveLimitIsExactAndRefusesMore) {
  CHttpFetch fetch;
  std::string block(1 << 20, 'x');
  uint32_t total = 0;
  while (total + block.size() <= CHttpFetch::kReceiveLimit) {
    ASSERT_TRUE(fetch.AppendData(block.data(), static_cast<uint32_t>(block.size())));
    total += static_cast<uint32_t>(block.size());
  }
  uint32_t rest = CHttpFetch::kReceiveLimit - total;
  ASSERT_TRUE(fetch.AppendData(block.data(), rest));
  EXPECT_EQ(CHttpFetch::kReceiveLimit, fetch.Size());
  EXPECT_EQ(CHttpFetch::kReceiveLimit, fetch.Capacity());
  EXPECT_FALSE(fetch.AppendData(block.data(), 1));
  EXPECT_EQ(CHttpFetch::kReceiveLimit, fetch.Size());
}

TEST(HttpFetchBufferTest, WriteCallbackWithoutObjectStopsTheTransfer) {
  char data[4] = {};
  EXPECT_EQ(0u, CHttpFetch::OnWriteData(data, 1, 4, nullptr));
}

TEST(HttpFetchCodesTest, CurlResultsMapToFetchCodes) {
  EXPECT_EQ(0u, CHttpFetch::MapCurlCode(CURLE_OK));
  EXPECT_EQ(1u, CHttpFetch::MapCurlCode(CURLE_ABORTED_BY_CALLBACK));
  EXPECT_EQ(2u, CHttpFetch::MapCurlCode(CURLE_OPERATION_TIMEDOUT));
  EXPECT_EQ(3u, CHttpFetch::MapCurlCode(CURLE_COULDNT_RESOLVE_HOST));
  EXPECT_EQ(4u, CHttpFetch::MapCurlCode(CURLE_COULDNT_CONNECT));
  EXPECT_EQ(5u, CHttpFetch::MapCurlCode(CURLE_HTTP_RETURNED_ERROR));
  EXPECT_EQ(7u, CHttpFetch::MapCurlCode(CURLE_PARTIAL_FILE));
  EXPECT_EQ(7u, CHttpFetch::MapCurlCode(CURLE_WRITE_ERROR));
  EXPECT_EQ(7u, CHttpFetch::MapCurlCode(CURLE_SSL_CACERT_BADFILE));
}

namespace {

std::string HttpsPort() {
  const char* port = std::getenv("ZP_HTTPS_PORT");
  return port ? port : "";
}

size_t DiscardOrKeep(void* data, size_t size, size_t count, void* user) {
  static_cast<std::string*>(user)->append(static_cast<char*>(data), size * count);
  return size * count;
}

// True when TLS to the loopback twin works at all in this environment,
// checked with verification switched off.
bool TlsWorksWithoutVerification() {
  if (HttpsPort().empty()) return false;
  CURL* curl = curl_easy_init();
  std::string body;
  std::string url = "https://localhost:" + HttpsPort() + "/hello";
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &DiscardOrKeep);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 20L);
  CURLcode result = curl_easy_perform(curl);
  curl_easy_cleanup(curl);
  return result == CURLE_OK && body == "hello from loopback";
}

}  // namespace

// The loopback server's certificate is a trusted root of the current user
// while alive.
class ScopedTrustedRoot {
 public:
  explicit ScopedTrustedRoot(const std::string& der) {
    m_store = CertOpenSystemStoreW(0, L"Root");
    if (!m_store || der.empty()) return;
    CertAddEncodedCertificateToStore(
        m_store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
        static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, &m_added);
    // Into the registry now, where other processes' chain engines look.
    CertControlStore(m_store, 0, CERT_STORE_CTRL_COMMIT, nullptr);
  }
  ~ScopedTrustedRoot() {
    if (m_added) CertDeleteCertificateFromStore(m_added);  // also frees it
    if (m_store) CertCloseStore(m_store, 0);
  }
  ScopedTrustedRoot(const ScopedTrustedRoot&) = delete;
  ScopedTrustedRoot& operator=(const ScopedTrustedRoot&) = delete;
  bool added() const { return m_added != nullptr; }

 private:
  HCERTSTORE m_store = nullptr;
  PCCERT_CONTEXT m_added = nullptr;
};

std::string HttpsUrl(const std::string& host, const std::string& path) {
  return "https://" + host + ":" + HttpsPort() + path;
}

TEST_F(HttpFetchTest, UntrustedCertificateIsRefusedAlsoAfterARedirect) {
  if (!TlsWorksWithoutVerification()) GTEST_SKIP() << "no TLS to the loopback server here";
  CHttpFetch direct;
  direct.m_nTimeoutMs = 30000;
  std::string body = "keep";
  EXPECT_NE(0u, direct.Get(HttpsUrl("localhost", "/hello"), body));
  EXPECT_EQ("keep", body);

  CHttpFetch redirected;
  redirected.m_nTimeoutMs = 30000;
  EXPECT_NE(0u, redirected.Get(Url("/redirect-https"), body));
  EXPECT_EQ("keep", body);
}

// The chain engine of a process reads the trusted roots once, so the checks
// with the loopback certificate trusted run in a fresh process (below).
TEST_F(HttpFetchTest, TrustedCertificateForTheHostIsAccepted) {
  if (!TlsWorksWithoutVerification()) GTEST_SKIP() << "no TLS to the loopback server here";
  CHttpFetch certificate;
  certificate.m_nTimeoutMs = 30000;
  std::string der;
  ASSERT_EQ(0u, certificate.Get(Url("/cert.der"), der));
  ScopedTrustedRoot root(der);
  ASSERT_TRUE(root.added());

  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command =
      L"\"" + std::wstring(self) + L"\" --gtest_color=no --gtest_filter=TrustedRootProcess.*";
  SetEnvironmentVariableW(L"ZP_TRUSTED_ROOT_PROCESS", L"1");
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  BOOL started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                &startup, &process);
  SetEnvironmentVariableW(L"ZP_TRUSTED_ROOT_PROCESS", nullptr);
  ASSERT_TRUE(started);
  DWORD exitCode = 1;
  if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, 5000);
  }
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_EQ(0u, exitCode) << "the checks with the trusted root failed (output above)";
}

TEST(TrustedRootProcess, TrustedCertificateForTheHostIsAccepted) {
  if (!std::getenv("ZP_TRUSTED_ROOT_PROCESS")) GTEST_SKIP() << "runs in its own process";
  CHttpFetch direct;
  direct.m_nTimeoutMs = 30000;
  std::string body;
  EXPECT_EQ(0u, direct.Get(HttpsUrl("localhost", "/hello"), body));
  EXPECT_EQ("hello from loopback", body);

  CHttpFetch redirected;
  redirected.m_nTimeoutMs = 30000;
  body.clear();
  EXPECT_EQ(0u, redirected.Get(Url("/redirect-https"), body));
  EXPECT_EQ("hello from loopback", body);

  // Trusted, but issued for another name.
  CHttpFetch otherName;
  otherName.m_nTimeoutMs = 30000;
  body = "keep";
  EXPECT_NE(0u, otherName.Get(HttpsUrl("127.0.0.1", "/hello"), body));
  EXPECT_EQ("keep", body);
}
