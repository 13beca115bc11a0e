// The upload control's events reaching page script through the plug-in: the
// stand-in control fires, the browser stand-in's functions listen.
#include <windows.h>
#include <olectl.h>
#include <shlobj.h>

#include <climits>
#include <map>
#include <set>

#include "ZumiPictavoEx.h"
#include "event_page.h"

namespace npb = npbrowser;
using namespace hosttest;
using namespace eventtest;

namespace {

// The string arguments that must not be null (by position); a null one
// keeps the event from script. Every event with a string parameter is here.
const std::map<std::string, std::set<size_t>> kRequiredStrings = {
    {"OnSink_UploadResult", {0}},
    {"OnSlientSink_StartUpload", {0}},
    {"OnSlientSink_Complete", {0}},
    {"OnSlientSink_Error", {0}},
    {"OnSink_ShowTimeInfo", {0}},
    {"OnSink_LocalError", {}},
    {"OnSink_DataReport", {0}},
    {"OnSink_UploadLibDataReport", {0, 4}},
    {"OnSink_UploadCompleteDataReport", {0}},
    {"OnSink_WaterMarkPreview", {}},
    {"OnSink_StartReadFile", {0}},
    {"OnSink_StartCompress", {0}},
    {"OnSink_StartUpload", {0}},
};

struct Text {
  std::wstring wide;
  std::string utf8;  // what script gets
};

const std::vector<Text>& Texts() {
  static const std::vector<Text> texts = {
      {L"Gr\u00fc\u00dfe \u4e2d\u6587 \U0001F600",
       "Gr\xC3\xBC\xC3\x9F"
       "e \xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80"},
      {std::wstring(L"ab\0cd", 5), "ab"},  // cut at the NUL
      {std::wstring(5000, L'\u00e9'),
       [] {
         std::string s;
         for (int i = 0; i < 5000; ++i) s += "\xC3\xA9";
         return s;
       }()},
      {L"", ""},
  };
  return texts;
}

const long kNumbers[] = {-1, LONG_MIN, LONG_MAX, 0, 7};

npb::Value IntValue(long value) {
  npb::Value v;
  v.type = NPVariantType_Int32;
  v.intValue = value;
  return v;
}

npb::Value StringValue(const std::string& text) {
  npb::Value v;
  v.type = NPVariantType_String;
  v.stringValue = text;
  return v;
}

// Arguments of round `round` for an event; the string at `nullAt` is null.
void BuildArgs(const Event& event, int round, size_t nullAt, Args& args,
               std::vector<npb::Value>& expected) {
  for (size_t p = 0; p < event.args.size(); ++p) {
    const size_t pick = round + p;
    if (event.args[p] == 'N') {
      const long number = kNumbers[pick % 5];
      args.Number(number);
      expected.push_back(IntValue(number));
    } else if (p == nullAt) {
      args.NullText();
      expected.push_back(StringValue(""));
    } else {
      const Text& text = Texts()[pick % Texts().size()];
      args.Text(text.wide);
      expected.push_back(StringValue(text.utf8));
    }
  }
}

void ExpectValues(const std::vector<npb::Value>& expected, const std::vector<npb::Value>& got) {
  ASSERT_EQ(expected.size(), got.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(expected[i].type, got[i].type);
    if (expected[i].type == NPVariantType_Int32) {
      EXPECT_EQ(expected[i].intValue, got[i].intValue);
    } else {
      EXPECT_EQ(expected[i].stringValue, got[i].stringValue);
    }
  }
}

HRESULT HandlerResult() {
  HRESULT code = S_OK;
  return Fixture().LastHandlerResult(&code) ? code : S_FALSE;  // S_FALSE: no handler ran
}

// The stand-in's class and type library registration as the fixture makes it.
void RegisterControl() {
  auto registerServer = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
      GetProcAddress(GetModuleHandleW(L"ZumiPictavoEx.dll"), "DllRegisterServer"));
  ASSERT_TRUE(registerServer);
  EXPECT_EQ(S_OK, registerServer());
}

class Events : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Fixture().Ready()) << std::hex << Fixture().RegisterResult();
    Fixture().Reset();
    StartedBrowser();
  }
  void TearDown() override {
    npb::Browser& browser = StartedBrowser();
    browser.PumpMessages();
    EXPECT_EQ(0, Fixture().LiveControls());
    EXPECT_EQ(0u, browser.LiveObjects());
    EXPECT_EQ(0u, browser.OutstandingAllocations());
    EXPECT_EQ(0u, browser.BadFrees());
    EXPECT_EQ(0u, browser.BadReleases());
  }
};

TEST_F(Events, EveryEventReachesItsListenerWithItsArguments) {
  const std::vector<Event> events = EventsOfTheTypeLibrary();
  ASSERT_EQ(32u, events.size());
  Page page;
  ASSERT_EQ(NPERR_NO_ERROR, page.Attach(320, 240));
  std::map<std::string, std::unique_ptr<Listener>> listeners;
  std::map<std::string, size_t> wantedCalls;
  for (const Event& event : events) {
    if (event.args.find('S') != std::string::npos) {
      ASSERT_TRUE(kRequiredStrings.count(event.name)) << event.name;
    }
    listeners[event.name] = std::make_unique<Listener>();
    ASSERT_TRUE(Listen(page, event.name, listeners[event.name]->Object()));
  }
  // Listeners registered before the control exists are called.
  ASSERT_TRUE(page.CreateAX());

  for (const Event& event : events) {
    SCOPED_TRACE(event.name);
    Listener& listener = *listeners[event.name];
    const auto required = kRequiredStrings.find(event.name);
    for (int round = 0; round < 4; ++round) {
      Args args;
      std::vector<npb::Value> expected;
      BuildArgs(event, round, std::string::npos, args, expected);
      EXPECT_EQ(S_OK, Fire(event.dispid, args));
      EXPECT_EQ(S_OK, HandlerResult());
      ASSERT_EQ(++wantedCalls[event.name], listener->calls.size());
      ExpectValues(expected, listener->calls.back().args);
    }
    for (size_t p = 0; p < event.args.size(); ++p) {
      if (event.args[p] != 'S') continue;
      SCOPED_TRACE(p);
      Args args;
      std::vector<npb::Value> expected;
      BuildArgs(event, 1, p, args, expected);
      EXPECT_EQ(S_OK, Fire(event.dispid, args));
      if (required->second.count(p)) {
        EXPECT_EQ(E_POINTER, HandlerResult());
        EXPECT_EQ(wantedCalls[event.name], listener->calls.size());
      } else {
        EXPECT_EQ(S_OK, HandlerResult());
        ASSERT_EQ(++wantedCalls[event.name], listener->calls.size());
        ExpectValues(expected, listener->calls.back().args);
      }
    }
  }

  // DISPIDs without a row are answered and reach nobody.
  for (DISPID id : {0, 27, 28, 29, 31, 32, 33, 34, 38, 39, 41, 45, 50, 52, -1}) {
    SCOPED_TRACE(id);
    Args none, one;
    one.Number(1);
    EXPECT_EQ(S_OK, Fire(id, none));
    EXPECT_EQ(S_FALSE, HandlerResult());
    EXPECT_EQ(S_OK, Fire(id, one));
  }
  for (const auto& entry : listeners)
    EXPECT_EQ(wantedCalls[entry.first], entry.second->Get()->calls.size()) << entry.first;
  EXPECT_EQ(NPERR_NO_ERROR, page.Destroy());
  for (const auto& entry : listeners)
    EXPECT_EQ(1u, entry.second->Get()->referenceCount) << "released at detach";
}

// Re-registers the type library when the test ends, whatever happened.
struct TypeLibraryBack {
  ~TypeLibraryBack() { RegisterControl(); }
};

TEST_F(Events, WithoutTheRegisteredTypeLibraryEventsReachNobody) {
  TypeLibraryBack restore;
  Page page;
  ASSERT_EQ(NPERR_NO_ERROR, page.Attach(320, 240));
  Listener listener;
  ASSERT_TRUE(Listen(page, "OnSink_UploadSelect", listener.Object()));
  ASSERT_EQ(S_OK, UnRegisterTypeLib(LIBID_ZUMIPICTAVOEXLib, 1, 0, LOCALE_NEUTRAL, SYS_WIN32));
  ASSERT_TRUE(page.CreateAX());
  Args args;
  args.Number(1).Number(2);
  EXPECT_EQ(S_OK, Fire(1, args));
  EXPECT_EQ(S_FALSE, HandlerResult());
  EXPECT_EQ(0u, listener->callCount);
  // Registered again, the library is found for the next event.
  RegisterControl();
  EXPECT_EQ(S_OK, Fire(1, args));
  EXPECT_EQ(1u, listener->callCount);
}

TEST_F(Events, TheSinkIsConnectedOnceAndLeavesBeforeTheControl) {
  {
    Page page;
    ASSERT_EQ(NPERR_NO_ERROR, page.Attach(320, 240));
    SendMessageW(page.Window(), 0x750, 1, 0);
    EXPECT_EQ(1, Fixture().ConnectionCount());
    EXPECT_TRUE(page.CreateAX());
    SendMessageW(page.Window(), 0x750, 1, 0);
    EXPECT_EQ(1, Fixture().ConnectionCount());
    EXPECT_EQ(1, CountLines(Lines(Fixture().Journal()), L"Advise 1"));
    Fixture().ClearJournal();
    ASSERT_EQ(NPERR_NO_ERROR, page.Destroy());
    const auto lines = Lines(Fixture().Journal());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(L"Unadvise 1", lines.front());
  }
  // A control whose connection point refuses still serves its methods.
  Fixture().SetResult(-2, CONNECT_E_CANNOTCONNECT);  // the connection point's Advise
  Page page;
  ASSERT_EQ(NPERR_NO_ERROR, page.Attach(320, 240));
  Listener listener;
  ASSERT_TRUE(Listen(page, "OnSink_ActiveFrame", listener.Object()));
  EXPECT_TRUE(page.CreateAX());
  EXPECT_EQ(1, Fixture().LiveControls());
  EXPECT_EQ(0, Fixture().ConnectionCount());
  EXPECT_TRUE(page.Call("Init", {}));
  Args args;
  args.Number(3);
  EXPECT_EQ(S_OK, Fire(3, args));
  EXPECT_EQ(0u, listener->callCount);
  Fixture().ClearJournal();
  ASSERT_EQ(NPERR_NO_ERROR, page.Destroy());
  EXPECT_EQ(std::wstring::npos, Fixture().Journal().find(L"Unadvise"));
}

TEST_F(Events, EachInstanceHearsOnlyItsOwnControl) {
  Listener heardByFirst, heardBySecond;
  auto first = HostedPage();
  ASSERT_TRUE(Listen(*first, "OnSink_ActiveFrame", heardByFirst.Object()));
  auto second = HostedPage();
  ASSERT_TRUE(Listen(*second, "OnSink_ActiveFrame", heardBySecond.Object()));
  Args args;
  args.Number(5);
  EXPECT_EQ(S_OK, Fire(3, args));  // the newest control: the second's
  EXPECT_EQ(0u, heardByFirst->callCount);
  EXPECT_EQ(1u, heardBySecond->callCount);
  ASSERT_EQ(NPERR_NO_ERROR, second->Destroy());
  EXPECT_EQ(S_OK, Fire(3, args));  // now the first's
  EXPECT_EQ(1u, heardByFirst->callCount);
  EXPECT_EQ(1u, heardBySecond->callCount);
}

TEST_F(Events, ListenersGoByExactNameOneEach) {
  auto page = HostedPage();
  Listener first, second, lower, odd, cut, refused;
  ASSERT_TRUE(Listen(*page, "OnSink_UploadProgress", first.Object()));
  EXPECT_EQ(2u, first->referenceCount);
  ASSERT_TRUE(Listen(*page, "OnSink_UploadProgress", second.Object()));
  EXPECT_EQ(1u, first->referenceCount) << "the replaced listener is released";
  ASSERT_TRUE(Listen(*page, "onsink_uploadprogress", lower.Object()));
  ASSERT_TRUE(Listen(*page, "OnSink_UploadProgresS", odd.Object()));
  ASSERT_TRUE(Listen(*page, std::string("OnSink_ActiveFrame\0more", 23), cut.Object()));

  // Argument checks of "AddEventListener".
  const std::string name = "OnSink_SizeChanged", empty;
  EXPECT_FALSE(page->Call("AddEventListener", {npb::String(name), npb::Object(refused.Object())}));
  EXPECT_TRUE(
      page->Call("AddEventListener", {npb::Int(1), npb::Object(refused.Object()), npb::Int(0)}));
  EXPECT_TRUE(page->Call("AddEventListener",
                         {npb::String(empty), npb::Object(refused.Object()), npb::Int(0)}));
  EXPECT_TRUE(page->Call("AddEventListener", {npb::String(name), npb::Int(3), npb::Int(0)}));
  EXPECT_EQ(1u, refused->referenceCount) << "nothing registered";

  Args progress;
  progress.Number(1).Number(2).Number(3);
  EXPECT_EQ(S_OK, Fire(40, progress));
  Args frame;
  frame.Number(4);
  EXPECT_EQ(S_OK, Fire(3, frame));
  EXPECT_EQ(S_OK, Fire(24, frame));
  EXPECT_EQ(0u, first->callCount);
  ASSERT_EQ(1u, second->calls.size());
  ExpectValues({IntValue(1), IntValue(2), IntValue(3)}, second->calls[0].args);
  EXPECT_EQ(0u, lower->callCount);
  EXPECT_EQ(0u, odd->callCount);
  EXPECT_EQ(1u, cut->callCount);
  EXPECT_EQ(0u, refused->callCount);
}

TEST_F(Events, WhatAListenerReturnsIsReleased) {
  auto page = HostedPage();
  Listener givesText, givesObject, given;
  givesText->body = [](const NPVariant*, uint32_t, NPVariant* result) {
    char* text = static_cast<char*>(StartedBrowser().MemAlloc(6));
    memcpy(text, "thanks", 6);
    STRINGN_TO_NPVARIANT(text, 6, *result);
  };
  givesObject->body = [&](const NPVariant*, uint32_t, NPVariant* result) {
    OBJECT_TO_NPVARIANT(StartedBrowser().Retain(given.Object()), *result);
  };
  ASSERT_TRUE(Listen(*page, "OnSink_UploadComplete", givesText.Object()));
  ASSERT_TRUE(Listen(*page, "OnSink_HowToDrag", givesObject.Object()));
  Args none;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(S_OK, Fire(4, none));
    EXPECT_EQ(S_OK, Fire(10, none));
  }
  EXPECT_EQ(3u, givesText->callCount);
  EXPECT_EQ(3u, givesObject->callCount);
  EXPECT_EQ(0u, StartedBrowser().OutstandingAllocations());
  EXPECT_EQ(1u, given->referenceCount);
}

TEST_F(Events, ListenersMayReplaceThemselvesRegisterOthersAndCallTheControl) {
  auto page = HostedPage();
  Listener replacing, replacement, nested;
  NPObject* replacingObject = replacing.Object();
  replacing->body = [&](const NPVariant*, uint32_t, NPVariant*) {
    EXPECT_TRUE(Listen(*page, "OnSink_UploadSelect", replacement.Object()));
    EXPECT_TRUE(Listen(*page, "OnSink_HowToDrag", nested.Object()));
    EXPECT_TRUE(page->Call("SetSvrTime", {npb::Int(5)}));
    // The control fires again while the first event is still on the stack.
    Args none;
    EXPECT_EQ(S_OK, Fire(10, none));
  };
  ASSERT_TRUE(Listen(*page, "OnSink_UploadSelect", replacingObject));
  replacing.Drop();  // the instance holds the only reference now
  Args args;
  args.Number(1).Number(2);
  EXPECT_EQ(S_OK, Fire(1, args));
  EXPECT_FALSE(StartedBrowser().IsLive(replacingObject)) << "freed once its call returned";
  EXPECT_EQ(1u, nested->callCount);
  EXPECT_EQ(0u, replacement->callCount);
  EXPECT_EQ(1, CountLines(CallLines(Fixture().Journal()), L"46 SetSvrTime(5)"));
  EXPECT_EQ(S_OK, Fire(1, args));
  EXPECT_EQ(1u, replacement->callCount);
}

TEST_F(Events, AListenerMayDestroyTheInstance) {
  auto page = HostedPage();
  Listener destroying, later;
  destroying->body = [&](const NPVariant*, uint32_t, NPVariant*) {
    EXPECT_EQ(NPERR_NO_ERROR, page->Destroy());
    // The control, still there, fires again: the instance is gone for it.
    Args none;
    EXPECT_EQ(S_OK, Fire(30, none));
  };
  ASSERT_TRUE(Listen(*page, "OnSink_UploadComplete", destroying.Object()));
  ASSERT_TRUE(Listen(*page, "OnSink_AxInited", later.Object()));
  destroying.Drop();
  Args none;
  EXPECT_EQ(S_OK, Fire(4, none));
  EXPECT_EQ(0u, later->callCount);
  EXPECT_EQ(S_OK, Fire(30, none)) << "the control lives until the event has returned";
  EXPECT_EQ(0u, later->callCount);
  StartedBrowser().PumpMessages();
  EXPECT_EQ(0, Fixture().LiveControls());
  EXPECT_EQ(1u, later->referenceCount);
}

TEST_F(Events, TenThousandStringEventsLeaveNothingBehind) {
  auto page = HostedPage();
  Listener listener;
  listener->record = false;
  ASSERT_TRUE(Listen(*page, "OnSink_UploadLibDataReport", listener.Object()));
  for (long i = 0; i < 10000; ++i) {
    Args args;
    args.Text(L"caf\u00e9 " + std::to_wstring(i)).Number(i).Number(-i).Number(i * 3);
    args.Text(Texts()[i % Texts().size()].wide);
    ASSERT_EQ(S_OK, Fire(22, args));
    if (i % 1000 == 0) Fixture().ClearJournal();
  }
  EXPECT_EQ(10000u, listener->callCount);
  EXPECT_EQ(0u, StartedBrowser().OutstandingAllocations());
}

TEST_F(Events, AnEventWhoseStringCannotBeAllocatedIsDropped) {
  auto page = HostedPage();
  Listener listener;
  ASSERT_TRUE(Listen(*page, "OnSink_UploadResult", listener.Object()));
  Args args;
  args.Text(L"first").Text(L"second");
  for (int failing : {0, 1}) {
    SCOPED_TRACE(failing);
    StartedBrowser().FailAllocationAfter(failing);
    EXPECT_EQ(S_OK, Fire(2, args));
    EXPECT_EQ(E_OUTOFMEMORY, HandlerResult());
    EXPECT_EQ(0u, listener->callCount);
    EXPECT_EQ(0u, StartedBrowser().OutstandingAllocations());
  }
  EXPECT_EQ(S_OK, Fire(2, args));
  EXPECT_EQ(1u, listener->callCount);
}

VARIANT I4(long value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  return v;
}
VARIANT R8(double value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_R8;
  V_R8(&v) = value;
  return v;
}
VARIANT Nul() {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_NULL;
  return v;
}
VARIANT Str(const wchar_t* text) {  // freed by the case's owner below
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(text);
  return v;
}

TEST_F(Events, ArgumentsAreArrangedAndCoercedOrTheEventIsDropped) {
  auto page = HostedPage();
  Listener select, result;
  ASSERT_TRUE(Listen(*page, "OnSink_UploadSelect", select.Object()));
  ASSERT_TRUE(Listen(*page, "OnSink_UploadResult", result.Object()));
  struct Case {
    const char* what;
    DISPID id;
    std::vector<VARIANT> rgvarg;  // last argument first, named ones first
    std::vector<DISPID> named;
    HRESULT invoked;
    std::vector<npb::Value> delivered;  // none: not delivered
  };
  std::vector<Case> cases = {
      {"positional", 1, {I4(2), I4(1)}, {}, S_OK, {IntValue(1), IntValue(2)}},
      {"coerced", 1, {Str(L"12"), R8(-3.4)}, {}, S_OK, {IntValue(-3), IntValue(12)}},
      {"number to text", 2, {I4(-8), I4(42)}, {}, S_OK, {StringValue("42"), StringValue("-8")}},
      {"not a number", 1, {Str(L"abc"), I4(1)}, {}, DISP_E_TYPEMISMATCH, {}},
      {"null", 1, {Nul(), I4(1)}, {}, DISP_E_TYPEMISMATCH, {}},
      {"too few", 1, {I4(1)}, {}, DISP_E_BADPARAMCOUNT, {}},
      {"too many", 1, {I4(1), I4(2), I4(3)}, {}, DISP_E_BADPARAMCOUNT, {}},
      {"named", 2, {Str(L"a"), Str(L"b")}, {0, 1}, S_OK, {StringValue("a"), StringValue("b")}},
      {"named and positional",
       2,
       {Str(L"second"), Str(L"first")},
       {1},
       S_OK,
       {StringValue("first"), StringValue("second")}},
      {"unknown name", 2, {Str(L"a"), Str(L"b")}, {5, 0}, DISP_E_PARAMNOTFOUND, {}},
      {"named twice", 2, {Str(L"a"), Str(L"b")}, {0, 0}, DISP_E_PARAMNOTFOUND, {}},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    Listener& listener = c.id == 1 ? select : result;
    const size_t before = listener->calls.size();
    DISPPARAMS params{c.rgvarg.data(), c.named.empty() ? nullptr : c.named.data(),
                      static_cast<UINT>(c.rgvarg.size()), static_cast<UINT>(c.named.size())};
    EXPECT_EQ(c.invoked, Fixture().FireEventParams(c.id, &params));
    if (c.delivered.empty()) {
      EXPECT_EQ(before, listener->calls.size());
    } else {
      ASSERT_EQ(before + 1, listener->calls.size());
      ExpectValues(c.delivered, listener->calls.back().args);
    }
    for (VARIANT& v : c.rgvarg) VariantClear(&v);
  }
}

// --- Diagnostic log (a process of its own: the switch is read once) ---------

const wchar_t kMarker[] = L"C:\\PictavoEx_Log.txt";

std::wstring NewerLogFolder() {
  wchar_t appData[MAX_PATH] = {};
  SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, FALSE);
  return std::wstring(appData) + L"\\Microsoft\\Windows\\Cookies\\Low\\";
}

std::string ReadFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string data;
  char buffer[4096];
  DWORD read = 0;
  while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
    data.append(buffer, read);
  CloseHandle(file);
  return data;
}

class EventLog : public Events {
 protected:
  void SetUp() override {
    Clean();
    HANDLE marker = CreateFileW(kMarker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, marker);
    CloseHandle(marker);
    SHCreateDirectoryExW(nullptr, NewerLogFolder().c_str(), nullptr);
    Events::SetUp();
  }
  void TearDown() override {
    Events::TearDown();
    Clean();
  }
  static void Clean() {
    DeleteFileW(kMarker);
    for (const std::wstring& path : Logs()) DeleteFileW(path.c_str());
  }
  // The log is in one folder or the other, by the Windows version.
  static std::vector<std::wstring> Logs() {
    return {L"C:\\npZumiPictavoEx.txt", NewerLogFolder() + L"npZumiPictavoEx.txt"};
  }
  static std::string Log() {
    std::string text;
    for (const std::wstring& path : Logs()) text += ReadFile(path);
    return text;
  }
};

TEST_F(EventLog, DeliveriesAreLoggedOnlyWithAListener) {
  auto page = HostedPage();
  Listener progress, prepare;
  ASSERT_TRUE(Listen(*page, "OnSink_UploadProgress", progress.Object()));
  Args three, one;
  three.Number(1).Number(2).Number(3);
  one.Number(9);
  EXPECT_EQ(S_OK, Fire(40, three));
  EXPECT_EQ(S_OK, Fire(3, one));  // no listener: no line
  EXPECT_EQ(S_OK, Fire(5, one));  // its own line, with or without a listener
  ASSERT_TRUE(Listen(*page, "OnSink_PrepareToUpload", prepare.Object()));
  EXPECT_EQ(S_OK, Fire(5, one));
  EXPECT_EQ(
      "npCreateAxControl\r\n"
      "Fire_On : OnSink_UploadProgress\r\n"
      "CMyAdapter::OnSink_PrepareToUpload\r\n"
      "CMyAdapter::OnSink_PrepareToUpload\r\n"
      "Fire_On : OnSink_PrepareToUpload\r\n",
      Log());
}

}  // namespace
