#include "app/http_fetch.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <new>

#include "app/receive_buffer_rules.h"
#include "app/tls_verify.h"
#include "log/log_print.h"

namespace {

constexpr DWORD kProxyBufferBytes = 2048;
constexpr DWORD kUserNameLimit = 1024;
constexpr DWORD kCredentialLimit = 2000;

// An overall time-out that fires this close to its end is not a stall.
constexpr uint32_t kDeadlineMarginMs = 200;

struct CurlCleanup {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlHandle = std::unique_ptr<CURL, CurlCleanup>;

struct SlistCleanup {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlList = std::unique_ptr<curl_slist, SlistCleanup>;

// The request headers that ask for the rest of a body from byte `received`.
CurlList RangeHeaders(uint64_t received, const std::string& validator) {
  std::string range = "Range: " + RangeFrom(received);
  std::string ifRange = "If-Range: " + validator;
  CurlList list(curl_slist_append(nullptr, range.c_str()));
  if (!list) return list;
  curl_slist* last = curl_slist_append(list.get(), ifRange.c_str());
  if (last == nullptr) list.reset();
  return list;
}

// Sets options of one transfer in order; after the first that fails, the
// rest are skipped and Result() tells which failure it was.
class CurlOptions {
 public:
  explicit CurlOptions(CURL* curl) : m_curl(curl) {}
  template <typename T>
  CurlOptions& Set(CURLoption option, T value) {
    if (m_result == CURLE_OK) m_result = curl_easy_setopt(m_curl, option, value);
    return *this;
  }
  CURLcode Result() const { return m_result; }

 private:
  CURL* m_curl;
  CURLcode m_result = CURLE_OK;
};

std::string ToAnsi(const wchar_t* text) {
  if (text == nullptr || *text == L'\0') return std::string();
  int needed = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (needed <= 1) return std::string();
  std::string narrow(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], needed, nullptr, nullptr);
  narrow.resize(static_cast<size_t>(needed) - 1);
  return narrow;
}

CHttpFetch::OptionQuery g_optionQuery = nullptr;

bool QueryOption(DWORD option, void* buffer, DWORD* length) {
  if (g_optionQuery == nullptr)
    return InternetQueryOptionW(nullptr, option, buffer, length) != FALSE;
  uint32_t size = *length;
  bool ok = g_optionQuery(option, buffer, &size);
  *length = size;
  return ok;
}

// Queries a string option of the process-wide settings into `buffer`
// (at most `limit` bytes); gives the text, always terminated.
bool QueryStringOption(DWORD option, BYTE* buffer, DWORD limit, std::wstring& text) {
  if (limit < sizeof(wchar_t)) return false;
  std::memset(buffer, 0, limit);
  DWORD length = limit;
  if (!QueryOption(option, buffer, &length)) return false;
  wchar_t* units = reinterpret_cast<wchar_t*>(buffer);
  units[limit / sizeof(wchar_t) - 1] = L'\0';
  text = units;
  return true;
}

// Host name of the URL libcurl is about to request, without IPv6 brackets.
std::wstring CurrentHost(CURL* curl) {
  char* url = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &url) != CURLE_OK || url == nullptr) {
    return std::wstring();
  }
  std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> parsed(curl_url(), &curl_url_cleanup);
  char* host = nullptr;
  if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url, 0) != CURLUE_OK ||
      curl_url_get(parsed.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK) {
    return std::wstring();
  }
  std::string narrow(host);
  curl_free(host);
  if (narrow.size() >= 2 && narrow.front() == '[' && narrow.back() == ']') {
    narrow = narrow.substr(1, narrow.size() - 2);
  }
  return std::wstring(narrow.begin(), narrow.end());
}

// Runs before each request, once the connection stands: an HTTPS server
// must present a certificate the system trusts for the requested host.
// libcurl's own check relies on the platform's automatic validation, which
// not every Schannel performs.
int CheckServerBeforeRequest(void* user, char*, char*, int, int) {
  CURL* curl = static_cast<CURL*>(user);
  char* scheme = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_SCHEME, &scheme) != CURLE_OK || scheme == nullptr) {
    return CURL_PREREQFUNC_ABORT;
  }
  if (_stricmp(scheme, "https") != 0) return CURL_PREREQFUNC_OK;
  curl_tlssessioninfo* session = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_TLS_SSL_PTR, &session) != CURLE_OK || session == nullptr ||
      session->backend != CURLSSLBACKEND_SCHANNEL) {
    return CURL_PREREQFUNC_ABORT;
  }
  return VerifyServerCertificate(session->internals, CurrentHost(curl)) ? CURL_PREREQFUNC_OK
                                                                        : CURL_PREREQFUNC_ABORT;
}

}  // namespace

CHttpFetch::CHttpFetch() { Reset(); }

CHttpFetch::~CHttpFetch() { Reset(); }

void CHttpFetch::Reset() {
  m_bBusy = false;
  m_strUrl.clear();
  m_strCookie.clear();
  m_bHeader = false;
  m_nTimeoutMs = 0;
  m_nStallMs = kStallMs;
  m_proxy = ProxyChoice();
  m_headers = ResumeHeaders();
  m_strValidator.clear();
  m_bRanged = false;
  m_bAnswerRefused = false;
  m_strBuffer = std::string();
  m_nCapacity = 0;
  m_nAllocations = 0;
  m_hCurl = nullptr;
}

uint32_t CHttpFetch::Get(const std::string& strUrl, std::string& strBody) {
  if (strUrl.empty() || m_bBusy) return FETCH_FAILED;
  m_bBusy = true;
  m_strUrl = strUrl;
  m_nAllocations = 0;

  CURLcode result = RunTransfer();

  // The buffer itself becomes the body: no copy of a large download.
  const bool dataArrived = !m_strBuffer.empty();
  if (dataArrived) strBody.swap(m_strBuffer);
  m_strBuffer = std::string();
  m_nCapacity = 0;
  m_bBusy = false;

  if (dataArrived && (result == CURLE_OK || result == CURLE_PARTIAL_FILE)) return FETCH_OK;
  return MapCurlCode(result);
}

// The first transfer and, after an interruption the host allows to resume,
// at most kResumeTries more for the rest, all within the one time-out.
CURLcode CHttpFetch::RunTransfer() {
  m_proxy = ChooseProxy(m_strUrl);
  LogPrint(LOG_MODULE_MAIN, L"HTTP fetch: %ls", m_proxy.reason.c_str());
  // libcurl of this build counts the time-out in whole seconds, at least one.
  const uint32_t budgetMs = std::max<uint32_t>(1, m_nTimeoutMs / 1000) * 1000;
  const DWORD start = GetTickCount();
  CURLcode result = RunOneTransfer(budgetMs, false);
  for (int nTry = 1; nTry <= kResumeTries; ++nTry) {
    const uint32_t elapsedMs = GetTickCount() - start;
    const uint32_t waitMs = ResumeWaitMs(nTry);
    if (!MayResume(result, elapsedMs, budgetMs) || elapsedMs + waitMs >= budgetMs) break;
    LogPrint(LOG_MODULE_MAIN,
             L"HTTP fetch: interrupted after %lu bytes (libcurl %d); try %d for the rest in %lu ms",
             static_cast<unsigned long>(Size()), static_cast<int>(result), nTry,
             static_cast<unsigned long>(waitMs));
    Sleep(waitMs);
    const CURLcode interruption = result;
    const uint32_t spentMs = GetTickCount() - start;
    result = RunOneTransfer(spentMs < budgetMs ? budgetMs - spentMs : 1, true);
    // Not the rest of the same body: the fetch ends as the interruption did.
    if (m_bAnswerRefused) return interruption;
  }
  return result;
}

// An interrupted transfer: reset, closed short, or silent for m_nStallMs
// (libcurl's low-speed limit) before the overall time-out.
bool CHttpFetch::MayResume(CURLcode result, uint32_t nElapsedMs, uint32_t nBudgetMs) const {
  if (m_bHeader || m_strValidator.empty()) return false;
  switch (result) {
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
      return true;
    case CURLE_OPERATION_TIMEDOUT:
      return nElapsedMs + kDeadlineMarginMs < nBudgetMs;
    default:
      return false;
  }
}

CURLcode CHttpFetch::RunOneTransfer(uint32_t nTimeLeftMs, bool bRanged) {
  CurlHandle handle(curl_easy_init());
  m_hCurl = handle.get();
  if (!handle) return CURLE_FAILED_INIT;
  CURL* curl = handle.get();
  m_headers = ResumeHeaders();
  m_bRanged = bRanged;
  m_bAnswerRefused = false;

  CURLcode result = ApplyProxy(curl);
  // Without the system's proxy settings the transfer goes direct.
  if (result != CURLE_OK && result != CURLE_FUNCTION_NOT_FOUND) return result;
  CurlList ranges;
  if (bRanged) {
    ranges = RangeHeaders(Size(), m_strValidator);
    if (!ranges) return CURLE_OUT_OF_MEMORY;
  }
  CurlOptions options(curl);
  options.Set(CURLOPT_URL, m_strUrl.c_str())
      .Set(CURLOPT_HTTPGET, 1L)
      .Set(CURLOPT_WRITEDATA, this)
      .Set(CURLOPT_WRITEFUNCTION, &CHttpFetch::OnWriteData)
      .Set(CURLOPT_FOLLOWLOCATION, m_bHeader ? 0L : 1L)
      .Set(CURLOPT_MAXREDIRS, kMaxRedirects)
      .Set(CURLOPT_TIMEOUT_MS, static_cast<long>(std::max<uint32_t>(1, nTimeLeftMs)))
      .Set(CURLOPT_LOW_SPEED_LIMIT, 1L)
      .Set(CURLOPT_LOW_SPEED_TIME, static_cast<long>(std::max<uint32_t>(1, m_nStallMs / 1000)));
  if (m_bHeader) {
    options.Set(CURLOPT_HEADER, 1L);
  } else {
    options.Set(CURLOPT_HEADERFUNCTION, &CHttpFetch::OnHeaderLine).Set(CURLOPT_HEADERDATA, this);
  }
  if (ranges) options.Set(CURLOPT_HTTPHEADER, ranges.get());
  if (!m_strCookie.empty()) options.Set(CURLOPT_COOKIE, m_strCookie.c_str());
  // A redirect may lead to HTTPS: its certificate is checked against the
  // system store. A check that cannot be put in place fails the transfer.
  options.Set(CURLOPT_SSL_VERIFYPEER, 1L)
      .Set(CURLOPT_SSL_VERIFYHOST, 2L)
      .Set(CURLOPT_PREREQFUNCTION, &CheckServerBeforeRequest)
      .Set(CURLOPT_PREREQDATA, curl);
  if (options.Result() != CURLE_OK) return options.Result();

  result = curl_easy_perform(curl);
  m_hCurl = nullptr;
  return result;
}

CURLcode CHttpFetch::ApplyProxy(CURL* hCurl) const {
  switch (m_proxy.route) {
    case ProxyChoice::Route::kNamed:
      return curl_easy_setopt(hCurl, CURLOPT_PROXY, m_proxy.hostPort.c_str());
    case ProxyChoice::Route::kDirect:
      return curl_easy_setopt(hCurl, CURLOPT_PROXY, "");
    default:
      return ApplySystemProxy(hCurl);
  }
}

size_t CHttpFetch::OnHeaderLine(char* pLine, size_t nSize, size_t nCount, void* pUser) {
  auto* fetch = static_cast<CHttpFetch*>(pUser);
  size_t bytes = nSize * nCount;
  ReadResumeHeaderLine(pLine, bytes, fetch->m_headers);
  bool endOfHeaders = bytes <= 2 && (bytes == 0 || pLine[0] == '\r' || pLine[0] == '\n');
  if (endOfHeaders && !fetch->OnFinalHeaders()) return 0;  // ends the transfer
  return bytes;
}

// At the end of each response's headers. The body's own response decides
// whether what arrived so far is kept, and names the body for a resume.
bool CHttpFetch::OnFinalHeaders() {
  long status = m_headers.status;
  bool interim = status / 100 == 1 || (status / 100 == 3 && !m_bHeader);
  if (interim) return true;
  if (m_bRanged) {
    switch (ClassifyResumeAnswer(m_headers, Size(), m_strValidator)) {
      case ResumeAnswer::kContinue:
        LogPrint(LOG_MODULE_MAIN, L"HTTP fetch: the host sends the rest from byte %lu (206)",
                 static_cast<unsigned long>(Size()));
        ReserveAnnouncedLength();
        return true;
      case ResumeAnswer::kRestart:
        LogPrint(LOG_MODULE_MAIN, L"HTTP fetch: the host sends the whole body again");
        m_strBuffer.clear();  // its capacity stays
        break;
      default:
        LogPrint(LOG_MODULE_MAIN, L"HTTP fetch: no rest of the body (status %ld)", status);
        m_bAnswerRefused = true;
        return false;
    }
  }
  m_strValidator = CanResume(m_headers) ? ResumeValidator(m_headers) : std::string();
  ReserveAnnouncedLength();
  return true;
}

void CHttpFetch::SetOptionQuery(OptionQuery query) { g_optionQuery = query; }

CURLcode CHttpFetch::ApplySystemProxy(CURL* hCurl) {
  std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[kProxyBufferBytes]);
  if (!buffer) return CURLE_OUT_OF_MEMORY;

  std::memset(buffer.get(), 0, kProxyBufferBytes);
  DWORD length = kProxyBufferBytes;
  if (!QueryOption(INTERNET_OPTION_PROXY, buffer.get(), &length)) {
    return CURLE_FUNCTION_NOT_FOUND;
  }
  const auto* info = reinterpret_cast<const INTERNET_PROXY_INFO*>(buffer.get());
  if (info->dwAccessType != INTERNET_OPEN_TYPE_PROXY) return CURLE_OK;

  std::string proxy = ToAnsi(reinterpret_cast<const wchar_t*>(info->lpszProxy));
  CURLcode result = curl_easy_setopt(hCurl, CURLOPT_PROXY, proxy.c_str());
  if (result != CURLE_OK) return result;

  std::wstring userName;
  if (!QueryStringOption(INTERNET_OPTION_PROXY_USERNAME, buffer.get(), kUserNameLimit, userName) ||
      userName.empty()) {
    return CURLE_OK;
  }
  // The password goes into the rest of the buffer, behind "name:".
  DWORD used = static_cast<DWORD>((userName.size() + 1) * sizeof(wchar_t));
  std::wstring password;
  if (used < kCredentialLimit &&
      QueryStringOption(INTERNET_OPTION_PROXY_PASSWORD, buffer.get() + used,
                        kCredentialLimit - used, password)) {
    std::string credentials = ToAnsi((userName + L":" + password).c_str());
    return curl_easy_setopt(hCurl, CURLOPT_PROXYUSERPWD, credentials.c_str());
  }
  return CURLE_OK;
}

size_t CHttpFetch::OnWriteData(void* pData, size_t nSize, size_t nCount, void* pUser) {
  if (pUser == nullptr) return 0;
  size_t bytes = nSize * nCount;
  if (bytes == 0) return 0;
  // Bytes that cannot be kept end the transfer: a truncated body must
  // never pass for a complete one.
  if (bytes > UINT32_MAX) return 0;
  auto* fetch = static_cast<CHttpFetch*>(pUser);
  return fetch->AppendData(pData, static_cast<uint32_t>(bytes)) ? bytes : 0;
}

bool CHttpFetch::AppendData(const void* pData, uint32_t nLength) {
  if (pData == nullptr || nLength == 0) return false;
  uint64_t required = static_cast<uint64_t>(Size()) + nLength;
  if (required > m_nCapacity && !Reallocate(GrownReceiveCapacity(m_nCapacity, required))) {
    return false;
  }
  m_strBuffer.append(static_cast<const char*>(pData), nLength);
  return true;
}

// Sizes the buffer once for the whole body when the response announced its
// length (for the rest of an interrupted body, what was kept counts too), so
// a large download arrives without copies. Without a length the buffer grows
// as blocks arrive; a buffer that cannot be had here is no failure either.
void CHttpFetch::ReserveAnnouncedLength() {
  uint32_t capacity = AnnouncedReceiveCapacity(Size(), m_headers.contentLength, m_nCapacity);
  if (capacity != 0) Reallocate(capacity);
}

// Moves what was received into a buffer of `nCapacity` bytes, which are not
// written before data arrives; false (the buffer unchanged) for 0 or when
// the memory cannot be had.
bool CHttpFetch::Reallocate(uint32_t nCapacity) {
  if (nCapacity == 0) return false;
  try {
    m_strBuffer.reserve(nCapacity);
  } catch (const std::exception&) {
    return false;
  }
  m_nCapacity = nCapacity;
  ++m_nAllocations;
  return true;
}

uint32_t CHttpFetch::MapCurlCode(CURLcode code) {
  switch (code) {
    case CURLE_OK:
      return FETCH_OK;
    case CURLE_ABORTED_BY_CALLBACK:
      return FETCH_ABORTED;
    case CURLE_OPERATION_TIMEDOUT:
      return FETCH_TIMEOUT;
    case CURLE_COULDNT_RESOLVE_HOST:
      return FETCH_UNRESOLVED;
    case CURLE_COULDNT_CONNECT:
      return FETCH_NO_CONNECTION;
    case CURLE_HTTP_RETURNED_ERROR:
      return FETCH_HTTP_ERROR;
    default:
      return FETCH_FAILED;
  }
}
