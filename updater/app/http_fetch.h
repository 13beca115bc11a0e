// One HTTP GET through libcurl, with the body held in memory and the proxy
// taken from the user's system Internet settings.
#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "app/receive_buffer_rules.h"

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

  CHttpFetch();
  ~CHttpFetch();
  CHttpFetch(const CHttpFetch&) = delete;
  CHttpFetch& operator=(const CHttpFetch&) = delete;

  void Reset();

  // Whenever data arrived, strBody is replaced by all of it, also on failure;
  // otherwise it is left unchanged. A body beyond the receive limit aborts
  // the transfer with a failure code.
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

  uint32_t Capacity() const { return m_nCapacity; }
  uint32_t Size() const { return m_nSize; }

 private:
  bool m_bBusy;
  std::string m_strUrl;

 public:
  std::string m_strCookie;  // sent as the Cookie header when non-empty
  bool m_bHeader;           // headers into the body, redirects not followed
  uint32_t m_nTimeoutMs;    // limit for the whole transfer

 private:
  CURLcode RunTransfer();
  void ReserveAnnouncedLength();
  bool Grow(uint64_t nRequired);

  std::unique_ptr<unsigned char[]> m_pBuffer;
  uint32_t m_nCapacity;
  uint32_t m_nSize;
  CURL* m_hCurl;
};
