// winhttp.h and wininet.h cannot share a file: this one holds the WinHTTP
// side of the fetch.
#include "app/proxy_choice.h"

#include <windows.h>
#include <winhttp.h>

#include "app/transfer_resume_rules.h"
#include "owners/scoped_win.h"

namespace {

constexpr wchar_t kSettingsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr DWORD kScriptUrlChars = 2048;
// Fetching and running the script, each step; detection may take as long.
constexpr int kScriptStepMs = 10000;

struct WinHttpTraits {
  using Value = HINTERNET;
  static HINTERNET InvalidValue() { return nullptr; }
  static bool IsValid(HINTERNET handle) { return handle != nullptr; }
  static void Free(HINTERNET handle) { WinHttpCloseHandle(handle); }
};
using ScopedWinHttp = ScopedGeneric<WinHttpTraits>;

struct ScriptSettings {
  std::wstring scriptUrl;
  bool autoDetect = false;
};

ScriptSettings ReadScriptSettings() {
  ScriptSettings settings;
  wchar_t url[kScriptUrlChars] = {};
  DWORD bytes = sizeof url;
  if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, L"AutoConfigURL", RRF_RT_REG_SZ, nullptr, url,
                   &bytes) == ERROR_SUCCESS) {
    settings.scriptUrl = url;
  }
  DWORD detect = 0;
  bytes = sizeof detect;
  if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, L"AutoDetect", RRF_RT_REG_DWORD, nullptr,
                   &detect, &bytes) == ERROR_SUCCESS) {
    settings.autoDetect = detect != 0;
  }
  return settings;
}

std::wstring Widen(const std::string& text) {
  int needed = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (needed <= 1) return std::wstring();
  std::wstring wide(static_cast<size_t>(needed), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], needed);
  wide.resize(static_cast<size_t>(needed) - 1);
  return wide;
}

std::string Narrow(const wchar_t* text) {
  std::string narrow;
  for (; text != nullptr && *text != L'\0'; ++text) {
    narrow += (*text < 0x80) ? static_cast<char>(*text) : '?';
  }
  return narrow;
}

// The script's answer as text ("DIRECT" when WinHTTP says no proxy), or
// false with the error of WinHttpGetProxyForUrl.
bool AskWinHttp(HINTERNET session, const std::wstring& url, WINHTTP_AUTOPROXY_OPTIONS& options,
                std::string& answer, DWORD& error) {
  WINHTTP_PROXY_INFO info = {};
  if (!WinHttpGetProxyForUrl(session, url.c_str(), &options, &info)) {
    error = GetLastError();
    return false;
  }
  ScopedGlobal proxy(info.lpszProxy);
  ScopedGlobal bypass(info.lpszProxyBypass);
  answer = info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY ? Narrow(info.lpszProxy) : "DIRECT";
  return true;
}

std::wstring Number(DWORD value) { return std::to_wstring(value); }

ProxyChoice FromAnswer(const std::string& answer, const std::wstring& source) {
  ProxyChoice choice;
  ScriptProxy entry = FirstScriptProxy(answer);
  if (entry.kind == ScriptProxyKind::kProxy) {
    choice.route = ProxyChoice::Route::kNamed;
    choice.hostPort = entry.hostPort;
    choice.reason = L"proxy " + Widen(entry.hostPort) + L", named by " + source;
  } else if (entry.kind == ScriptProxyKind::kDirect) {
    choice.route = ProxyChoice::Route::kDirect;
    choice.reason = L"no proxy (DIRECT), named by " + source;
  } else {
    choice.reason = L"static proxy setting: no usable entry in the answer of " + source;
  }
  return choice;
}

}  // namespace

ProxyChoice ChooseProxy(const std::string& url) {
  ProxyChoice choice;
  ScriptSettings settings = ReadScriptSettings();
  if (settings.scriptUrl.empty() && !settings.autoDetect) {
    choice.reason = L"static proxy setting: no configuration script";
    return choice;
  }
  ScopedWinHttp session(WinHttpOpen(L"ZumiPictavoUpdateSvr", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                    WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session.IsValid()) {
    choice.reason =
        L"static proxy setting: WinHTTP unavailable (error " + Number(GetLastError()) + L")";
    return choice;
  }
  WinHttpSetTimeouts(session.Get(), kScriptStepMs, kScriptStepMs, kScriptStepMs, kScriptStepMs);
  const std::wstring wideUrl = Widen(url);
  std::string answer;
  DWORD error = 0;
  std::wstring failures;
  if (!settings.scriptUrl.empty()) {
    WINHTTP_AUTOPROXY_OPTIONS options = {};
    options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
    options.lpszAutoConfigUrl = settings.scriptUrl.c_str();
    options.fAutoLogonIfChallenged = TRUE;
    if (AskWinHttp(session.Get(), wideUrl, options, answer, error)) {
      return FromAnswer(answer, L"the script " + settings.scriptUrl);
    }
    failures = L"the script " + settings.scriptUrl + L" failed (error " + Number(error) + L")";
  }
  if (settings.autoDetect) {
    WINHTTP_AUTOPROXY_OPTIONS options = {};
    options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
    options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    options.fAutoLogonIfChallenged = TRUE;
    if (AskWinHttp(session.Get(), wideUrl, options, answer, error)) {
      return FromAnswer(answer, L"the detected script");
    }
    if (!failures.empty()) failures += L", ";
    failures += L"detection failed (error " + Number(error) + L")";
  }
  choice.reason = L"static proxy setting: " + failures;
  return choice;
}
