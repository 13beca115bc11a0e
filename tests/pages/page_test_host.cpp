// The page host for the page tests: pagehost with the stand-in control
// registered (for the program's lifetime) and a `fixture` global through
// which page script reads the control's journal, chooses its results and
// makes it fire events:
//   fixture.calls()                 journal lines of IPictavoEx calls, in order
//   fixture.journal()               the whole journal, one line per entry
//   fixture.clearJournal()
//   fixture.fire(dispid, args...)   numbers go as longs, strings as BSTRs,
//                                   null as a null BSTR; the HRESULT back
//   fixture.setOutLong(position, value), fixture.setOutString(position, text)
//   fixture.setResult(position, hresult)
//   fixture.liveControls()
//   fixture.setAllowedOrigins(entries, "user"|"machine")
//                                   the site policy's AllowedOrigins value in
//                                   that key; null takes it away (as does the
//                                   end of the program)
// Without --dll it loads npZumiPictavoEx.dll from beside itself.
#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "fixture_control.h"
#include "page_host.h"
#include "owners/scoped_com.h"
#include "test_paths.h"

namespace {

FixtureControl* g_fixture = nullptr;

const wchar_t kPolicyKey[] = L"SOFTWARE\\ORVANE\\ZumiPictavoEx\\SiteLock";
const wchar_t kPolicyValue[] = L"AllowedOrigins";

void RemovePolicy(HKEY root) { RegDeleteKeyValueW(root, kPolicyKey, kPolicyValue); }

// Takes away what setAllowedOrigins left, when the program ends.
struct PolicyCleanup {
  ~PolicyCleanup() {
    if (userSet) RemovePolicy(HKEY_CURRENT_USER);
    if (machineSet) RemovePolicy(HKEY_LOCAL_MACHINE);
  }
  bool userSet = false;
  bool machineSet = false;
};
PolicyCleanup* g_policy = nullptr;

std::wstring WideArgument(duk_context* ctx, duk_idx_t index) {
  return pagehost::Utf8ToWide(pagehost::ScriptEngine::StringAt(ctx, index));
}

void PushWide(duk_context* ctx, const std::wstring& text) {
  pagehost::ScriptEngine::PushString(ctx, pagehost::WideToUtf8(text));
}

std::vector<std::wstring> JournalLines() {
  std::vector<std::wstring> lines;
  const std::wstring text = g_fixture->Journal();
  size_t start = 0;
  for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

duk_ret_t Journal(duk_context* ctx) {
  PushWide(ctx, g_fixture->Journal());
  return 1;
}

duk_ret_t Calls(duk_context* ctx) {
  duk_push_array(ctx);
  duk_uarridx_t index = 0;
  for (const std::wstring& line : JournalLines()) {
    if (line.empty() || !iswdigit(line[0]) || line.find(L'(') == std::wstring::npos) continue;
    PushWide(ctx, line);
    duk_put_prop_index(ctx, -2, index++);
  }
  return 1;
}

duk_ret_t ClearJournal(duk_context*) {
  g_fixture->ClearJournal();
  return 0;
}

duk_ret_t Fire(duk_context* ctx) {
  const duk_idx_t count = duk_get_top(ctx);
  const DISPID id = duk_to_int(ctx, 0);
  std::vector<ScopedVariant> values(count > 1 ? count - 1 : 0);
  for (duk_idx_t i = 1; i < count; ++i) {
    VARIANT* value = values[i - 1].Ptr();
    if (duk_is_number(ctx, i)) {
      value->vt = VT_I4;
      value->lVal = static_cast<LONG>(duk_get_number(ctx, i));
    } else {
      value->vt = VT_BSTR;
      if (!duk_is_null(ctx, i)) {
        const std::wstring text = WideArgument(ctx, i);
        value->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
      }
    }
  }
  std::vector<VARIANT> args;
  for (const ScopedVariant& value : values) args.push_back(value.Get());
  const HRESULT hr = g_fixture->FireEvent(id, args.data(), static_cast<int>(args.size()));
  duk_push_number(ctx, static_cast<double>(hr));
  return 1;
}

duk_ret_t SetOutLong(duk_context* ctx) {
  g_fixture->SetOutLong(duk_to_int(ctx, 0), duk_to_int(ctx, 1));
  return 0;
}

duk_ret_t SetOutString(duk_context* ctx) {
  const std::wstring text = WideArgument(ctx, 1);
  g_fixture->SetOutString(duk_to_int(ctx, 0), text.c_str(), static_cast<int>(text.size()));
  return 0;
}

duk_ret_t SetResult(duk_context* ctx) {
  g_fixture->SetResult(duk_to_int(ctx, 0), static_cast<HRESULT>(duk_to_number(ctx, 1)));
  return 0;
}

duk_ret_t LiveControls(duk_context* ctx) {
  duk_push_int(ctx, g_fixture->LiveControls());
  return 1;
}

duk_ret_t SetAllowedOrigins(duk_context* ctx) {
  const bool machine = pagehost::ScriptEngine::StringAt(ctx, 1) == "machine";
  const HKEY root = machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  (machine ? g_policy->machineSet : g_policy->userSet) = true;
  if (duk_is_null_or_undefined(ctx, 0)) {
    RemovePolicy(root);
    return 0;
  }
  std::wstring value;
  const duk_size_t count = duk_get_length(ctx, 0);
  for (duk_size_t i = 0; i < count; ++i) {
    duk_get_prop_index(ctx, 0, static_cast<duk_uarridx_t>(i));
    value += WideArgument(ctx, -1) + L'\0';
    duk_pop(ctx);
  }
  value += L'\0';
  const LSTATUS status = RegSetKeyValueW(root, kPolicyKey, kPolicyValue, REG_MULTI_SZ, value.data(),
                                         static_cast<DWORD>(value.size() * sizeof(wchar_t)));
  if (status != ERROR_SUCCESS) return duk_error(ctx, DUK_ERR_ERROR, "cannot write the policy");
  return 0;
}

void InstallFixture(pagehost::ScriptEngine& engine) {
  duk_context* ctx = engine.Context();
  const struct {
    const char* name;
    duk_c_function function;
    duk_idx_t arguments;
  } functions[] = {
      {"journal", Journal, 0},
      {"calls", Calls, 0},
      {"clearJournal", ClearJournal, 0},
      {"fire", Fire, DUK_VARARGS},
      {"setOutLong", SetOutLong, 2},
      {"setOutString", SetOutString, 2},
      {"setResult", SetResult, 2},
      {"liveControls", LiveControls, 0},
      {"setAllowedOrigins", SetAllowedOrigins, 2},
  };
  duk_push_object(ctx);
  for (const auto& function : functions) {
    duk_push_c_function(ctx, function.function, function.arguments);
    duk_put_prop_string(ctx, -2, function.name);
  }
  duk_put_global_string(ctx, "fixture");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  pagehost::PageOptions options;
  if (!pagehost::ParseOptions(argc, argv, &options)) return pagehost::kPageCannotRun;
  if (options.dll.empty()) options.dll = testsupport::BinaryPath(L"npZumiPictavoEx.dll");
  FixtureControl fixture;
  if (!fixture.Ready()) {
    fprintf(stderr, "page_test_host: the stand-in control is not registered: %08lx\n",
            static_cast<unsigned long>(fixture.RegisterResult()));
    return pagehost::kPageCannotRun;
  }
  g_fixture = &fixture;
  PolicyCleanup policy;
  g_policy = &policy;
  const int status = pagehost::RunPage(options, InstallFixture);
  g_fixture = nullptr;
  g_policy = nullptr;
  return status;
}
