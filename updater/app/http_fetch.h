// One HTTP GET through libcurl, with the body held in memory and the proxy
// taken from the user's system Internet settings (a configuration script
// they name first). A transfer that ends early is resumed where the host
// allows it.
#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "app/proxy_choice.h"
#include "app/receive_buffer_rules.h"
#include "app/transfer_resume_rules.h"

class CHttpFetch {
 public:
  // Fetch result codes.
  enum : uint32_t {
    FETCH_OK = 0,
    FETCH_ABORTED = 1,
    FETCH_TIMEOUT = 2,
    FETCH_UNRESOLVED = 3,
    FETCH_NO_CONNECTION = 4,
    FETCH_HTTP_ERROR = 5,
    FETCH_FAILED = 7,
  };

  static constexpr uint32_t kGrowStep = kReceiveGrowStep;
  static constexpr uint32_t kReceiveLimit = ::kReceiveLimit;
  // Redirects followed before a transfer fails (libcurl of this age would
  // follow a redirect loop until the time-out, an hour for the update).
  static constexpr long kMaxRedirects = 20;
  // No byte for this long ends a transfer as interrupted.
  static constexpr uint32_t kStallMs = 30000;

  CHttpFetch();
  ~CHttpFetch();
  CHttpFetch(const CHttpFetch&) = delete;
  CHttpFetch& operator=(const CHttpFetch&) = delete;

  void Reset();

  // Whenever data arrived, strBody is replaced by all of it, also on failure;
  // otherwise it is left unchanged. A body beyond the receive limit aborts
  // the transfer with a failure code. The receive buffer becomes the body.
  uint32_t Get(const std::string& strUrl, std::string& strBody);

  // Sets the process-wide WinINet proxy (and its credentials) on the handle.
  static CURLcode ApplySystemProxy(CURL* hCurl);

  // Reads one option of the process-wide Internet settings into pBuffer
  // (*pLength bytes), as InternetQueryOptionW does without a handle.
  using OptionQuery = bool (*)(uint32_t nOption, void* pBuffer, uint32_t* pLength);
  // Puts other settings in place of the system's (a test's; Wine keeps no
  // proxy credentials); null goes back to the system's.
  static void SetOptionQuery(OptionQuery query);
  static size_t OnWriteData(void* pData, size_t nSize, size_t nCount, void* pUser);
  bool AppendData(const void* pData, uint32_t nLength);
  static uint32_t MapCurlCode(CURLcode code);

  // The proxy the last fetch used and why, as its log line says.
  const std::wstring& ProxyReason() const { return m_proxy.reason; }
  // The receive buffer (empty again once Get has handed it over).
  uint32_t Capacity() const { return m_nCapacity; }
  uint32_t Size() const { return static_cast<uint32_t>(m_strBuffer.size()); }
  // How often the last Get allocated a receive buffer.
  uint32_t Allocations() const { return m_nAllocations; }

 private:
  bool m_bBusy;
  std::string m_strUrl;

 public:
  std::string m_strCookie;  // sent as the Cookie header when non-empty
  bool m_bHeader;           // headers into the body, redirects not followed
  uint32_t m_nTimeoutMs;    // limit for the whole transfer, resumes included
  uint32_t m_nStallMs;      // kStallMs unless a test sets less

 private:
  CURLcode RunTransfer();
  CURLcode RunOneTransfer(uint32_t nTimeLeftMs, bool bRanged);
  CURLcode ApplyProxy(CURL* hCurl) const;
  bool MayResume(CURLcode result, uint32_t nElapsedMs, uint32_t nBudgetMs) const;
  static size_t OnHeaderLine(char* pLine, size_t nSize, size_t nCount, void* pUser);
  bool OnFinalHeaders();
  void ReserveAnnouncedLength();
  bool Reallocate(uint32_t nCapacity);

  std::string m_strBuffer;  // what was received, in room for m_nCapacity bytes
  uint32_t m_nCapacity;
  uint32_t m_nAllocations;
  CURL* m_hCurl;

  ProxyChoice m_proxy;
  ResumeHeaders m_headers;     // of the response being received
  std::string m_strValidator;  // names the body received so far; empty: no resume
  bool m_bRanged;              // the transfer asks for the rest of the body
  bool m_bAnswerRefused;       // its answer was no rest of the same body
};
