#include "app/transfer_resume_rules.h"

#include <string_view>

namespace {

// Longest validator kept: longer ones are no validator at all.
constexpr size_t kValidatorLimit = 1024;
constexpr size_t kHostPortLimit = 255;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameWord(std::string_view text, std::string_view lowerWord) {
  if (text.size() != lowerWord.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (Lower(text[i]) != lowerWord[i]) return false;
  }
  return true;
}

bool StartsWithWord(std::string_view text, std::string_view lowerWord) {
  return text.size() >= lowerWord.size() && SameWord(text.substr(0, lowerWord.size()), lowerWord);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Leading decimal digits of `text` into `value`; false when there are none
// or they overflow. `text` is advanced past them.
bool TakeNumber(std::string_view& text, uint64_t& value) {
  size_t digits = 0;
  value = 0;
  while (digits < text.size() && IsDigit(text[digits])) {
    uint64_t digit = static_cast<uint64_t>(text[digits] - '0');
    if (value > (UINT64_MAX - digit) / 10) return false;
    value = value * 10 + digit;
    ++digits;
  }
  text.remove_prefix(digits);
  return digits != 0;
}

// Text that may go back to the host in a request header: printable, short.
bool IsHeaderSafe(std::string_view value) {
  if (value.empty() || value.size() > kValidatorLimit) return false;
  for (char c : value) {
    auto unit = static_cast<unsigned char>(c);
    if ((unit < 0x20 && c != '\t') || unit == 0x7F) return false;
  }
  return true;
}

void ReadStatusLine(std::string_view line, ResumeHeaders& headers) {
  headers = ResumeHeaders();
  size_t space = line.find(' ');
  if (space == std::string_view::npos) return;
  std::string_view rest = Trim(line.substr(space + 1));
  uint64_t status = 0;
  if (rest.size() >= 3 && TakeNumber(rest, status) && status <= 999) {
    headers.status = static_cast<long>(status);
  }
}

bool ListHasBytes(std::string_view list) {
  while (!list.empty()) {
    size_t comma = list.find(',');
    if (SameWord(Trim(list.substr(0, comma)), "bytes")) return true;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return false;
}

// "bytes N-M/T" or "bytes N-M/*".
void ReadContentRange(std::string_view value, ResumeHeaders& headers) {
  if (!StartsWithWord(value, "bytes ")) return;
  value = Trim(value.substr(6));
  uint64_t first = 0;
  uint64_t last = 0;
  if (!TakeNumber(value, first) || value.empty() || value.front() != '-') return;
  value.remove_prefix(1);
  if (!TakeNumber(value, last) || last < first || value.empty() || value.front() != '/') return;
  headers.hasContentRange = true;
  headers.rangeStart = first;
}

// Decimal digits only; anything else announces no length.
int64_t ReadContentLength(std::string_view value) {
  uint64_t length = 0;
  if (!TakeNumber(value, length) || !value.empty() || length > INT64_MAX) return -1;
  return static_cast<int64_t>(length);
}

bool IsStrongEntityTag(const std::string& tag) {
  return tag.size() >= 2 && tag.front() == '"' && tag.back() == '"';
}

bool IsHostPortUnit(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '.' || c == '-' ||
         c == '_' || c == ':' || c == '[' || c == ']';
}

bool IsHostPort(std::string_view text) {
  if (text.empty() || text.size() > kHostPortLimit || text.front() == ':') return false;
  for (char c : text) {
    if (!IsHostPortUnit(c)) return false;
  }
  return true;
}

// One entry of a script's answer: "DIRECT", "PROXY host:port" or, as
// WinHTTP lists them, a bare "host:port". Other kinds are not usable.
ScriptProxy ReadScriptEntry(std::string_view entry) {
  ScriptProxy result;
  entry = Trim(entry);
  if (SameWord(entry, "direct")) {
    result.kind = ScriptProxyKind::kDirect;
    return result;
  }
  size_t blank = entry.find_first_of(" \t");
  if (blank != std::string_view::npos) {
    std::string_view keyword = entry.substr(0, blank);
    if (!SameWord(keyword, "proxy") && !SameWord(keyword, "http")) return result;
    entry = Trim(entry.substr(blank + 1));
  }
  if (!IsHostPort(entry)) return result;
  result.kind = ScriptProxyKind::kProxy;
  result.hostPort.assign(entry.data(), entry.size());
  return result;
}

}  // namespace

uint32_t ResumeWaitMs(int nTry) {
  if (nTry < 1 || nTry > kResumeTries) return 0;
  return 1000u << (nTry - 1);
}

void ReadResumeHeaderLine(const char* pLine, size_t nLength, ResumeHeaders& headers) {
  if (pLine == nullptr) return;
  std::string_view line = Trim(std::string_view(pLine, nLength));
  if (StartsWithWord(line, "http/")) return ReadStatusLine(line, headers);
  size_t colon = line.find(':');
  if (colon == std::string_view::npos) return;
  std::string_view name = Trim(line.substr(0, colon));
  std::string_view value = Trim(line.substr(colon + 1));
  if (SameWord(name, "accept-ranges")) {
    headers.acceptsByteRanges = headers.acceptsByteRanges || ListHasBytes(value);
  } else if (SameWord(name, "etag")) {
    headers.entityTag.assign(value.data(), value.size());
  } else if (SameWord(name, "last-modified")) {
    headers.lastModified.assign(value.data(), value.size());
  } else if (SameWord(name, "content-range")) {
    ReadContentRange(value, headers);
  } else if (SameWord(name, "content-length")) {
    headers.contentLength = ReadContentLength(value);
  }
}

std::string ResumeValidator(const ResumeHeaders& headers) {
  // A weak tag names no exact bytes, so it cannot guard a range.
  if (IsStrongEntityTag(headers.entityTag) && IsHeaderSafe(headers.entityTag)) {
    return headers.entityTag;
  }
  if (IsHeaderSafe(headers.lastModified)) return headers.lastModified;
  return std::string();
}

std::string RangeFrom(uint64_t nReceived) { return "bytes=" + std::to_string(nReceived) + "-"; }

ResumeAnswer ClassifyResumeAnswer(const ResumeHeaders& answer, uint64_t nReceived,
                                  const std::string& validator) {
  if (answer.status == 200) return ResumeAnswer::kRestart;
  if (answer.status != 206 || !answer.hasContentRange || answer.rangeStart != nReceived) {
    return ResumeAnswer::kFail;
  }
  // A host that ignores If-Range could send the rest of another body.
  if (IsStrongEntityTag(validator) && !answer.entityTag.empty() && answer.entityTag != validator) {
    return ResumeAnswer::kFail;
  }
  return ResumeAnswer::kContinue;
}

ScriptProxy FirstScriptProxy(const std::string& answer) {
  std::string_view rest(answer);
  while (!rest.empty()) {
    size_t end = rest.find(';');
    ScriptProxy entry = ReadScriptEntry(rest.substr(0, end));
    if (entry.kind != ScriptProxyKind::kNone) return entry;
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return ScriptProxy();
}
