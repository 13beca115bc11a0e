#include "entry/site_lock.h"

#include <windows.h>

#include <string>
#include <vector>

#include "entry/browser_funcs.h"
#include "entry/np_convert.h"
#include "entry/refusal.h"
#include "entry/scoped_npobject.h"
#include "entry/site_rules.h"
#include "owners/scoped_win.h"
#include "support/write_log.h"

namespace sitelock {

namespace {

const wchar_t kPolicyKey[] = L"SOFTWARE\\ORVANE\\ZumiPictavoEx\\SiteLock";
const wchar_t kPolicyValue[] = L"AllowedOrigins";
const wchar_t kLogFile[] = L"npZumiPictavoEx.txt";
// A policy longer than this is not read at all.
constexpr DWORD kMaxPolicyBytes = 64 * 1024;

// What the browser told of the page's address.
struct PageOrigin {
  bool told = false;  // some text came
  bool parsed = false;
  Origin origin;
  std::string name;  // how messages name it
};

void Describe(std::string_view text, PageOrigin* page) {
  page->told = true;
  page->parsed = ParseOrigin(text, &page->origin);
  page->name = page->parsed ? OriginText(page->origin) : Printable(text);
}

// NPNVdocumentOrigin: a string the browser allocated, freed through it.
bool AskDocumentOrigin(NPP npp, PageOrigin* page) {
  char* text = nullptr;
  if (NPN_GetValue(npp, NPNVdocumentOrigin, &text) != NPERR_NO_ERROR || !text) return false;
  const std::string origin(text);
  NPN_MemFree(text);
  if (origin.empty()) return false;
  Describe(origin, page);
  return true;
}

// The window object's location.href, for browsers that do not know the
// variable.
bool AskLocation(NPP npp, PageOrigin* page) {
  NPObject* window = nullptr;
  if (NPN_GetValue(npp, NPNVWindowNPObject, &window) != NPERR_NO_ERROR || !window) return false;
  const ScopedNPObject windowRef = ScopedNPObject::Adopt(window);
  ScopedNPVariant location;
  if (!NPN_GetProperty(npp, window, NPN_GetStringIdentifier("location"), location.Get()) ||
      !NPVARIANT_IS_OBJECT(*location.Get()))
    return false;
  ScopedNPVariant href;
  if (!NPN_GetProperty(npp, location.Get()->value.objectValue, NPN_GetStringIdentifier("href"),
                       href.Get()) ||
      !NPVARIANT_IS_STRING(*href.Get()) || !href.Get()->value.stringValue.UTF8Characters)
    return false;
  const NPString& text = href.Get()->value.stringValue;
  Describe(std::string_view(text.UTF8Characters, text.UTF8Length), page);
  return true;
}

PageOrigin AskPageOrigin(NPP npp) {
  PageOrigin page;
  if (!AskDocumentOrigin(npp, &page)) AskLocation(npp, &page);
  return page;
}

std::wstring Wide(const std::string& utf8) {
  NPString text = {utf8.data(), static_cast<uint32_t>(utf8.size())};
  return npconv::StringInText(text);
}

void LogIgnored(const wchar_t* where, std::u16string_view entry) {
  std::wstring text(entry.begin(), entry.end());
  WriteLog(kLogFile, L"SiteLock: ignored the malformed AllowedOrigins entry \"%ls\" (%ls)",
           text.substr(0, 200).c_str(), where);
}

void ReadPolicy(HKEY root, const wchar_t* where, std::vector<OriginPattern>* policy) {
  ScopedRegKey key;
  if (RegOpenKeyExW(root, kPolicyKey, 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) return;
  DWORD type = 0, bytes = 0;
  if (RegQueryValueExW(key.Get(), kPolicyValue, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
    return;
  if (type != REG_MULTI_SZ || bytes > kMaxPolicyBytes) {
    WriteLog(kLogFile, L"SiteLock: ignored AllowedOrigins (%ls): not REG_MULTI_SZ or too long",
             where);
    return;
  }
  std::vector<wchar_t> units(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(units.size() * sizeof(wchar_t));
  if (RegQueryValueExW(key.Get(), kPolicyValue, nullptr, &type,
                       reinterpret_cast<BYTE*>(units.data()), &bytes) != ERROR_SUCCESS)
    return;
  const std::u16string_view value(reinterpret_cast<const char16_t*>(units.data()),
                                  bytes / sizeof(wchar_t));
  for (std::u16string_view entry : SplitMultiString(value)) {
    OriginPattern pattern;
    const std::string utf8 =
        npconv::ToUtf8(reinterpret_cast<const wchar_t*>(entry.data()), entry.size());
    if (ParsePattern(utf8, &pattern))
      policy->push_back(pattern);
    else
      LogIgnored(where, entry);
  }
}

std::vector<OriginPattern> ReadSitePolicy() {
  std::vector<OriginPattern> policy;
  ReadPolicy(HKEY_LOCAL_MACHINE, L"machine", &policy);
  ReadPolicy(HKEY_CURRENT_USER, L"user", &policy);
  return policy;
}

}  // namespace

bool PageMayUseControl(NPP npp, std::string_view member) {
  const PageOrigin page = AskPageOrigin(npp);
  if (OriginAllowed(page.parsed ? &page.origin : nullptr, ReadSitePolicy())) return true;
  const std::string reason =
      page.told ? refusal::OriginRefused(member, page.name) : refusal::OriginUnknown(member);
  WriteLog(kLogFile, L"SiteLock: refused %ls", Wide(reason).c_str());
  return refusal::Refuse(reason);
}

}  // namespace sitelock
