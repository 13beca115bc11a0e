// The plug-in in the browser stand-in, with page script and the control
// stand-in misbehaving. Each row reports what script saw and the ledger of
// what was left behind: browser objects and memory, controls, handles.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "browser.h"
#include "fault_rows.h"
#include "fixture_control.h"
#include "host_page.h"

namespace npb = npbrowser;
using hosttest::Page;

namespace {

// Events the stand-in fires without arguments, by name and dispatch id.
struct PlainEvent {
  const char* name;
  DISPID id;
};
const PlainEvent kPlainEvents[] = {
    {"OnSink_UploadComplete", 4}, {"OnSink_HowToDrag", 10}, {"OnSink_AxInited", 30}};

// The control positions of the methods the rows call.
constexpr int kGetUploadKey = 10;
constexpr int kHaveSetUploadInfo = 11;
constexpr int kGetPhotoCount = 37;

FixtureControl* g_fixture = nullptr;

npb::Browser& Browser() { return hosttest::StartedBrowser(); }

// The stand-in's own hooks for fault scenarios, bound from its exports.
struct Hooks {
  void (*fireOnJournal)(const wchar_t*, DISPID) = nullptr;
  BOOL (*holdNewest)() = nullptr;
  void (*dropHeld)() = nullptr;
  bool Bind() {
    HMODULE module = GetModuleHandleW(L"ZumiPictavoEx.dll");
    if (!module) return false;
    fireOnJournal = reinterpret_cast<decltype(fireOnJournal)>(
        reinterpret_cast<void*>(GetProcAddress(module, "ZpFireOnJournal")));
    holdNewest = reinterpret_cast<decltype(holdNewest)>(
        reinterpret_cast<void*>(GetProcAddress(module, "ZpHoldNewest")));
    dropHeld = reinterpret_cast<decltype(dropHeld)>(
        reinterpret_cast<void*>(GetProcAddress(module, "ZpDropHeld")));
    return fireOnJournal && holdNewest && dropHeld;
  }
};
Hooks g_hooks;

// A page with the control created and connected.
struct HostedPage {
  Page page;
  bool ready = false;
  HostedPage() { ready = page.Attach(320, 240) == NPERR_NO_ERROR && page.CreateAX(); }
};

// A script function registered for `name` whose only reference the instance
// holds from then on.
npb::ScriptFunction* Listen(Page& page, const std::string& name) {
  npb::ScriptFunction* function = Browser().NewFunction();
  function->record = false;
  page.Call("AddEventListener", {npb::String(name), npb::Object(function), npb::Int(0)});
  Browser().Release(function);
  return function;
}

HRESULT Fire(DISPID id) { return g_fixture->FireEvent(id, nullptr, 0); }

// What is left once every page is gone: "ledger=ok" or what was found.
std::string LedgerWords() {
  Browser().PumpMessages();
  std::string words;
  if (Browser().LiveObjects() != 0) words += " objects=" + std::to_string(Browser().LiveObjects());
  if (Browser().OutstandingAllocations() != 0)
    words += " memory=" + std::to_string(Browser().OutstandingAllocations());
  if (Browser().BadFrees() != 0) words += " bad_frees=" + std::to_string(Browser().BadFrees());
  if (Browser().BadReleases() != 0)
    words += " bad_releases=" + std::to_string(Browser().BadReleases());
  if (g_fixture->LiveControls() != 0)
    words += " controls=" + std::to_string(g_fixture->LiveControls());
  return words.empty() ? "ledger=ok" : "ledger:" + words;
}

std::wstring Journal() { return g_fixture->Journal(); }

// The journal line of a string-in call as the stand-in writes it.
std::wstring StringCallLine(int position, const wchar_t* name, const std::wstring& text) {
  return std::to_wstring(position) + L" " + name + L"(\"" + text + L"\"/" +
         std::to_wstring(text.size()) + L")";
}

bool JournalHasLine(const std::wstring& line) {
  return Journal().find(L"\n" + line + L"\n") != std::wstring::npos ||
         Journal().compare(0, line.size() + 1, line + L"\n") == 0;
}

// Every argument type to each in-rule ("1" where the call was accepted, in
// the order void, null, bool, int32, double, string, object), and each
// out-rule's value.
std::string VariantRules() {
  HostedPage hosted;
  if (!hosted.ready) return "setup=no-control";
  npb::ScriptFunction* object = Browser().NewFunction();
  const std::string two = "2";
  const std::vector<NPVariant> kinds = {npb::Void(),        npb::Null(),      npb::Bool(true),
                                        npb::Int(7),        npb::Double(2.9), npb::String(two),
                                        npb::Object(object)};
  const struct {
    const char* rule;
    const char* method;
  } inRules[] = {
      {"number", "SetMD5FileSize"}, {"bool", "StopUpload"}, {"string", "SetWaterPressUrl"}};
  std::string words;
  for (const auto& in : inRules) {
    words += std::string(words.empty() ? "" : " ") + in.rule + "=";
    for (const NPVariant& kind : kinds) words += hosted.page.Call(in.method, {kind}) ? '1' : '0';
  }
  const bool countsExact = !hosted.page.Call("SetMD5FileSize", {}) &&
                           !hosted.page.Call("SetMD5FileSize", {npb::Int(1), npb::Int(2)});
  words += countsExact ? " count=exact" : " count=loose";
  const bool truncated = JournalHasLine(L"41 SetMD5FileSize(2)");

  g_fixture->SetOutLong(kGetPhotoCount, -5);
  g_fixture->SetOutLong(kHaveSetUploadInfo, 7);
  g_fixture->SetOutString(kGetUploadKey, L"h\u00e9llo", -1);
  NPVariant number, flag, text;
  const bool calls = hosted.page.Call("GetPhotoCount", {}, &number) &&
                     hosted.page.Call("HaveSetUploadInfo", {}, &flag) &&
                     hosted.page.Call("GetUploadKey", {}, &text);
  const bool values =
      calls && NPVARIANT_IS_INT32(number) && number.value.intValue == -5 &&
      NPVARIANT_IS_BOOLEAN(flag) && flag.value.boolValue && NPVARIANT_IS_STRING(text) &&
      std::string(text.value.stringValue.UTF8Characters, text.value.stringValue.UTF8Length) ==
          "h\xC3\xA9llo";
  if (calls) {
    Browser().ReleaseVariant(&number);
    Browser().ReleaseVariant(&flag);
    Browser().ReleaseVariant(&text);
  }
  g_fixture->SetOutString(kGetUploadKey, nullptr, 0);
  NPVariant empty;
  const bool nullIsEmpty = hosted.page.Call("GetUploadKey", {}, &empty) &&
                           NPVARIANT_IS_STRING(empty) && empty.value.stringValue.UTF8Length == 0;
  if (nullIsEmpty) Browser().ReleaseVariant(&empty);
  words += std::string(" double=") + (truncated ? "truncated" : "wrong");
  words += std::string(" out=") + (values && nullIsEmpty ? "ok" : "wrong");
  Browser().Release(object);
  return words;
}

// One megabyte of UTF-8 text of one to four bytes a character, in and out.
std::string OneMegabyteStrings() {
  HostedPage hosted;
  if (!hosted.ready) return "setup=no-control";
  std::string utf8;
  std::wstring wide;
  while (utf8.size() + 10 <= (1u << 20)) {
    utf8 += "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80";
    wide += L"a\u00e9\u4e2d\U0001F600";
  }
  const size_t tail = (1u << 20) - utf8.size();
  utf8 += std::string(tail, 'z');
  wide += std::wstring(tail, L'z');
  const bool in = hosted.page.Call("SetWaterPressUrl", {npb::String(utf8)}) &&
                  JournalHasLine(StringCallLine(36, L"SetWaterPressUrl", wide));
  g_fixture->ClearJournal();
  g_fixture->SetOutString(kGetUploadKey, wide.c_str(), static_cast<int>(wide.size()));
  NPVariant text;
  bool out = hosted.page.Call("GetUploadKey", {}, &text);
  if (out) {
    out = NPVARIANT_IS_STRING(text) && std::string(text.value.stringValue.UTF8Characters,
                                                   text.value.stringValue.UTF8Length) == utf8;
    Browser().ReleaseVariant(&text);
  }
  return std::string("in=") + (in ? "whole" : "wrong") + " out=" + (out ? "whole" : "wrong");
}

// Byte strings that are not UTF-8 reach the control as decoded text or
// fail the call; nothing is read past them.
std::string InvalidUtf8() {
  HostedPage hosted;
  if (!hosted.ready) return "setup=no-control";
  const std::vector<std::string> texts = {
      "\xFF\xFE",     "a\x80z",           "ab\xC3",   "\xE0\x80\x80",
      "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xC0\xAF", std::string("x\xF0\x9F", 3)};
  int accepted = 0, reached = 0;
  for (const std::string& text : texts) {
    g_fixture->ClearJournal();
    if (!hosted.page.Call("SetWaterPressUrl", {npb::String(text)})) continue;
    ++accepted;
    reached += Journal().find(L"36 SetWaterPressUrl(\"") != std::wstring::npos;
  }
  // A lone surrogate from the control, towards script.
  g_fixture->SetOutString(kGetUploadKey, L"a\xD800z", 3);
  NPVariant text;
  const bool out = hosted.page.Call("GetUploadKey", {}, &text);
  if (out) Browser().ReleaseVariant(&text);
  return "accepted=" + std::to_string(accepted) + "/" + std::to_string(texts.size()) +
         " reached=" + std::to_string(reached) + " surrogate_out=" + (out ? "given" : "refused");
}

// 10,000 listeners under distinct names, then 10,000 replacing each other
// under the events' names: each replaced one is released at once, only the
// last of each name hears its event.
std::string TenThousandListeners() {
  HostedPage hosted;
  if (!hosted.ready) return "setup=no-control";
  const size_t before = Browser().LiveObjects();
  for (int i = 0; i < 10000; ++i) Listen(hosted.page, "OnSink_Custom" + std::to_string(i));
  const size_t distinct = Browser().LiveObjects() - before;
  std::vector<npb::ScriptFunction*> last(3, nullptr);
  for (int i = 0; i < 10000; ++i) last[i % 3] = Listen(hosted.page, kPlainEvents[i % 3].name);
  const size_t afterReplacing = Browser().LiveObjects() - before - distinct;
  for (const PlainEvent& event : kPlainEvents) Fire(event.id);
  size_t heard = 0;
  for (npb::ScriptFunction* function : last) heard += function->callCount;
  return "distinct=" + std::to_string(distinct) + " kept=" + std::to_string(afterReplacing) +
         " heard=" + std::to_string(heard);
}

// A listener that destroys its instance; the control fires again from
// inside that listener and after it.
std::string DestroyInsideEvent() {
  auto hosted = std::make_unique<HostedPage>();
  if (!hosted->ready) return "setup=no-control";
  npb::ScriptFunction* later = Listen(hosted->page, "OnSink_AxInited");
  Browser().Retain(later);
  npb::ScriptFunction* destroying = Listen(hosted->page, "OnSink_UploadComplete");
  NPError destroyed = NPERR_GENERIC_ERROR;
  destroying->body = [&](const NPVariant*, uint32_t, NPVariant*) {
    destroyed = hosted->page.Destroy();
    Fire(30);
  };
  const HRESULT first = Fire(4);
  const HRESULT after = Fire(30);
  const size_t heard = later->callCount;
  Browser().Release(later);
  hosted.reset();
  return std::string("destroyed=") + (destroyed == NPERR_NO_ERROR ? "yes" : "no") +
         " fire=" + (first == S_OK ? "ok" : "failed") +
         " after=" + (after == S_OK ? "ok" : "gone") + " heard=" + std::to_string(heard);
}

// Another holder keeps the control alive past the instance: what it fires
// then reaches no script.
std::string FireAfterRelease() {
  npb::ScriptFunction* listener = nullptr;
  {
    HostedPage hosted;
    if (!hosted.ready) return "setup=no-control";
    listener = Listen(hosted.page, "OnSink_UploadComplete");
    Browser().Retain(listener);
    if (!g_hooks.holdNewest()) return "setup=no-hold";
  }
  Browser().PumpMessages();
  const bool alive = g_fixture->LiveControls() == 1;
  const HRESULT fired = Fire(4);
  const size_t heard = listener->callCount;
  Browser().Release(listener);
  g_hooks.dropHeld();
  return std::string("control=") + (alive ? "held" : "gone") +
         " fire=" + (SUCCEEDED(fired) ? "ok" : "failed") + " heard=" + std::to_string(heard);
}

// The control fires while the instance takes it down: at each step of the
// teardown in turn, in a page of its own.
std::string FireDuringTeardown() {
  const wchar_t* steps[] = {L"Unadvise", L"InPlaceDeactivate", L"Close", L"SetClientSite null",
                            L"Release"};
  std::string words = "steps=";
  int survived = 0;
  size_t fired = 0, heard = 0;
  for (const wchar_t* step : steps) {
    HostedPage hosted;
    if (!hosted.ready) return "setup=no-control";
    npb::ScriptFunction* listener = Listen(hosted.page, "OnSink_UploadComplete");
    // Script that hears the event calls the instance that is going away.
    listener->body = [&](const NPVariant*, uint32_t, NPVariant*) {
      hosted.page.Call("GetPhotoCount", {});
      Listen(hosted.page, "OnSink_HowToDrag");
    };
    Browser().Retain(listener);
    g_fixture->ClearJournal();
    g_hooks.fireOnJournal(step, 4);
    survived += hosted.page.Destroy() == NPERR_NO_ERROR;
    g_hooks.fireOnJournal(nullptr, 0);
    fired += Journal().find(L"\nFire 4\n") != std::wstring::npos;
    heard += listener->callCount;
    Browser().Release(listener);
  }
  return words + std::to_string(survived) + "/5 fired=" + std::to_string(fired) +
         " heard=" + std::to_string(heard);
}

// The control fires from inside a method call; the listener calls the
// control again and replaces itself.
std::string FireInsideMethod() {
  HostedPage hosted;
  if (!hosted.ready) return "setup=no-control";
  npb::ScriptFunction* listener = Listen(hosted.page, "OnSink_UploadComplete");
  bool nested = false;
  listener->body = [&](const NPVariant*, uint32_t, NPVariant*) {
    nested = hosted.page.Call("SetRetryTimes", {npb::Int(3)});
    Listen(hosted.page, "OnSink_UploadComplete");
  };
  Browser().Retain(listener);
  g_hooks.fireOnJournal(L"46 SetSvrTime", 4);
  const bool call = hosted.page.Call("SetSvrTime", {npb::Int(5)});
  g_hooks.fireOnJournal(nullptr, 0);
  const size_t heard = listener->callCount;
  Browser().Release(listener);
  return std::string("call=") + (call ? "ok" : "failed") + " heard=" + std::to_string(heard) +
         " nested=" + (nested ? "ok" : "failed");
}

// Runs a row after one page has come and gone (what the process keeps for
// good is there by then), then checks the ledger and the handle count.
std::string WithLedger(std::string (*row)()) {
  { HostedPage warmUp; }
  Browser().PumpMessages();
  faults::HandleWatch handles(2);
  const std::string words = row();
  return words + " " + LedgerWords() + " " + handles.Report();
}

}  // namespace

int main(int argc, char** argv) {
  FixtureControl fixture;
  g_fixture = &fixture;
  if (!fixture.Ready() || !g_hooks.Bind()) {
    std::printf("observed: setup=no-fixture\n");
    return 1;
  }
  const std::vector<faults::Row> rows = {
      {"page_variant_rules", [] { return WithLedger(VariantRules); }},
      {"page_string_1mb", [] { return WithLedger(OneMegabyteStrings); }},
      {"page_invalid_utf8", [] { return WithLedger(InvalidUtf8); }},
      {"page_10000_listeners", [] { return WithLedger(TenThousandListeners); }},
      {"page_destroy_in_event", [] { return WithLedger(DestroyInsideEvent); }},
      {"control_fire_after_release", [] { return WithLedger(FireAfterRelease); }},
      {"control_fire_during_teardown", [] { return WithLedger(FireDuringTeardown); }},
      {"control_fire_inside_method", [] { return WithLedger(FireInsideMethod); }},
  };
  return faults::RunRows(rows, argc, argv);
}
