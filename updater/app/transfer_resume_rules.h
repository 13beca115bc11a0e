// What the HTTP fetch may do after a transfer ended early: which response
// headers allow asking for the rest, what the answer to that request means,
// the text of the request's headers, and how a proxy configuration script's
// answer names a proxy. Free of platform headers: these read hostile input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Tries after the first transfer, and the wait before each (1, 2, 4 s).
constexpr int kResumeTries = 3;
uint32_t ResumeWaitMs(int nTry);  // nTry counts from 1; 0 outside 1..kResumeTries

// The headers of one response that matter for a resume and for sizing the
// receive buffer.
struct ResumeHeaders {
  long status = 0;
  bool acceptsByteRanges = false;
  std::string entityTag;     // as sent, quotes included
  std::string lastModified;  // as sent
  bool hasContentRange = false;
  uint64_t rangeStart = 0;     // first byte of a Content-Range "bytes N-M/T"
  int64_t contentLength = -1;  // the bytes this response sends; -1: not announced
};

// Reads one header line as the transfer hands it over (CRLF included or
// not). A status line ("HTTP/...") starts a new response and forgets the
// previous one's headers (redirects, interim responses).
void ReadResumeHeaderLine(const char* pLine, size_t nLength, ResumeHeaders& headers);

// The validator to send in If-Range: a strong entity tag, else the
// modification date; empty when the response allows no resume.
std::string ResumeValidator(const ResumeHeaders& headers);

// True when the host announced byte ranges and a validator to name them by.
inline bool CanResume(const ResumeHeaders& headers) {
  return headers.acceptsByteRanges && !ResumeValidator(headers).empty();
}

// "bytes=N-", the value of the Range header for the rest from byte N.
std::string RangeFrom(uint64_t nReceived);

enum class ResumeAnswer {
  kContinue,  // 206 for exactly the rest of the same body
  kRestart,   // 200: the whole body again, from its first byte
  kFail,      // anything else
};

// What the answer to a ranged request with `validator` asked for from byte
// `nReceived` means for the body received so far.
ResumeAnswer ClassifyResumeAnswer(const ResumeHeaders& answer, uint64_t nReceived,
                                  const std::string& validator);

// The first usable entry of a configuration script's answer
// ("PROXY host:port; DIRECT", or a WinHTTP list "host:port;host2:port").
enum class ScriptProxyKind { kNone, kDirect, kProxy };
struct ScriptProxy {
  ScriptProxyKind kind = ScriptProxyKind::kNone;
  std::string hostPort;  // for kProxy
};
ScriptProxy FirstScriptProxy(const std::string& answer);
