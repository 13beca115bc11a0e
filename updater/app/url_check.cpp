#include "app/url_check.h"

#include <windows.h>
#include <wininet.h>

#include "app/url_text.h"
#include "app/wide_units.h"

namespace {

constexpr DWORD kMaxUrlUnits = INTERNET_MAX_URL_LENGTH;  // 2084, terminator included
constexpr DWORD kHostUnits = 1024;
constexpr DWORD kPathUnits = 1024;

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  int length = static_cast<int>(text.size());
  std::string utf8(static_cast<size_t>(length) * 4, '\0');
  int written = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, &utf8[0],
                                    static_cast<int>(utf8.size()), nullptr, nullptr);
  utf8.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return utf8;
}

// Checks the lengths of host and path in the escaped URL, without copying
// anything; decoding never makes them longer.
bool ComponentsFit(const std::wstring& escaped) {
  URL_COMPONENTSW parts = {};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = 1;
  parts.dwUrlPathLength = 1;
  if (!InternetCrackUrlW(escaped.c_str(), 0, 0, &parts)) return false;
  return parts.dwHostNameLength < kHostUnits && parts.dwUrlPathLength < kPathUnits;
}

}  // namespace

std::wstring EscapeUrl(const std::wstring& strUrl) {
  return FromU16(EscapeUtf8Bytes(ToUtf8(strUrl)));
}

bool CrackHttpUrl(const std::wstring& strUrl, std::wstring& strHost, std::wstring& strPath,
                  uint16_t& usPort) {
  std::wstring escaped = EscapeUrl(strUrl);
  if (escaped.empty() || escaped.size() >= kMaxUrlUnits) return false;
  if (!ComponentsFit(escaped)) return false;

  wchar_t host[kHostUnits] = {};
  wchar_t path[kPathUnits] = {};
  URL_COMPONENTSW parts = {};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host;
  parts.dwHostNameLength = kHostUnits;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = kPathUnits;
  if (!InternetCrackUrlW(escaped.c_str(), 0, ICU_DECODE, &parts)) return false;
  if (parts.nScheme != INTERNET_SCHEME_HTTP) return false;

  host[kHostUnits - 1] = L'\0';
  path[kPathUnits - 1] = L'\0';
  strHost = host;
  strPath = path;
  usPort = parts.nPort;
  return true;
}

bool IsVendorUrl(const std::wstring& strUrl) {
  std::wstring host, path;
  uint16_t port = 0;
  if (!CrackHttpUrl(strUrl, host, path, port)) return false;
  return IsVendorHost(ToU16(host));
}
