// The control hosting layer: "AtlAxWin80" host windows laid over a stand-in
// plug-in window, hosting the fixture upload control by class identifier.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <wrl/client.h>

#include <memory>
#include <string>
#include <vector>

#include "ZumiPictavoEx.h"
#include "control/ax_host.h"
#include "fixture_control.h"

using Microsoft::WRL::ComPtr;

#define EXPECT_FAILED(expression) EXPECT_TRUE(FAILED(expression))

namespace {

constexpr DWORD kClipStyles = WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
const wchar_t kContainerText[] = L"FireFox-m_ZumiPictavoExContainer";

// Lines of the journal in order; FindFrom returns the index of the first line
// at or after `start` equal to `line`, or -1.
std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

int Find(const std::vector<std::wstring>& lines, const std::wstring& line, int start = 0) {
  for (int i = start; i < static_cast<int>(lines.size()); ++i)
    if (lines[i] == line) return i;
  return -1;
}

bool MutexExists() {
  HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"ZumiPictavoEx");
  if (!mutex) return false;
  CloseHandle(mutex);
  return true;
}

struct WindowCloser {
  void operator()(HWND window) const {
    if (IsWindow(window)) DestroyWindow(window);
  }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowCloser>;

struct BstrDeleter {
  void operator()(BSTR text) const { SysFreeString(text); }
};
using UniqueBstr = std::unique_ptr<OLECHAR, BstrDeleter>;

SIZE ClientSize(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

// An event sink that records the events it receives.
class RecordingSink final : public IDispatch {
 public:
  std::vector<std::pair<DISPID, std::vector<long>>> events;

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID__IPictavoExEvents) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    std::vector<long> args;
    for (UINT i = params->cArgs; i-- > 0;) args.push_back(params->rgvarg[i].lVal);
    events.emplace_back(id, args);
    return S_OK;
  }
  ULONG refs = 1;
};

// A bag that answers two settings, each only with the type it is asked for.
class TwoSettingBag final : public IPropertyBag {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    *object = static_cast<IPropertyBag*>(this);
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 0; }
  STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
    if (wcscmp(name, L"UploadLimit") == 0 && value->vt == VT_I4) {
      value->lVal = 20;
      return S_OK;
    }
    if (wcscmp(name, L"TokenContent") == 0 && value->vt == VT_BSTR) {
      value->bstrVal = SysAllocString(L"");
      return S_OK;
    }
    return E_FAIL;
  }
  STDMETHODIMP Write(LPCOLESTR, VARIANT*) override { return S_OK; }
};

LRESULT CALLBACK PluginWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

class AxHostTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    fixture_ = new FixtureControl();
    WNDCLASSW wc{};
    wc.lpfnWndProc = PluginWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"AxHostTestPluginWindow";
    RegisterClassW(&wc);
  }
  static void TearDownTestSuite() {
    delete fixture_;
    fixture_ = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(fixture_->Ready()) << std::hex << fixture_->RegisterResult();
    ASSERT_TRUE(axhost::RegisterHostClasses(GetModuleHandleW(nullptr)));
    fixture_->Reset();
    browser_.reset(CreateWindowExW(0, L"AxHostTestPluginWindow", L"browser",
                                   WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 500, 400, nullptr,
                                   nullptr, GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(browser_);
    ShowWindow(browser_.get(), SW_SHOWNOACTIVATE);
    plugin_ =
        CreateWindowExW(0, L"AxHostTestPluginWindow", nullptr, WS_CHILD | WS_VISIBLE, 10, 20, 320,
                        240, browser_.get(), nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(plugin_);
  }

  void TearDown() override {
    browser_.reset();
    EXPECT_EQ(0, fixture_->LiveControls());
  }

  // The host window as the plug-in makes it: a child over the plug-in
  // window's client area, clipping styles added, text set afterwards.
  HWND MakeHost() {
    RECT client{};
    GetClientRect(plugin_, &client);
    HWND host = axhost::CreateHostWindow(plugin_, client, WS_CHILD | WS_VISIBLE, 0, nullptr,
                                         GetModuleHandleW(nullptr));
    if (!host) return nullptr;
    SetWindowLongW(host, GWL_STYLE, GetWindowLongW(host, GWL_STYLE) | kClipStyles);
    SetWindowTextW(host, kContainerText);
    return host;
  }

  HWND MakeHostWithControl(ComPtr<IPictavoEx>* control) {
    HWND host = MakeHost();
    EXPECT_TRUE(host);
    EXPECT_EQ(S_OK, axhost::CreateControl(host, CLSID_PictavoEx));
    EXPECT_EQ(S_OK, axhost::QueryControl(host, IID_PPV_ARGS(control->GetAddressOf())));
    return host;
  }

  static FixtureControl* fixture_;
  UniqueWindow browser_;
  HWND plugin_ = nullptr;
};

FixtureControl* AxHostTest::fixture_ = nullptr;

TEST_F(AxHostTest, RegistersBothClassesAndMessagesOncePerProcess) {
  EXPECT_TRUE(axhost::RegisterHostClasses(GetModuleHandleW(nullptr)));
  EXPECT_TRUE(axhost::RegisterHostClasses(nullptr));  // later calls change nothing
  WNDCLASSEXW info{sizeof(info)};
  EXPECT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), L"AtlAxWin80", &info));
  EXPECT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), L"AtlAxWinLic80", &info));
  EXPECT_NE(0u, axhost::HostMessage());
  EXPECT_EQ(RegisterWindowMessageW(L"WM_ATLGETHOST"), axhost::HostMessage());
  EXPECT_EQ(RegisterWindowMessageW(L"WM_ATLGETCONTROL"), axhost::ControlMessage());
}

TEST_F(AxHostTest, ClassesCanBeRemovedForUnloadAndRegisteredAgain) {
  axhost::UnregisterHostClasses();
  WNDCLASSEXW info{sizeof(info)};
  EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), L"AtlAxWin80", &info));
  EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), L"AtlAxWinLic80", &info));
  ASSERT_TRUE(axhost::RegisterHostClasses(GetModuleHandleW(nullptr)));
  EXPECT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), L"AtlAxWin80", &info));
  UniqueWindow host(MakeHost());
  EXPECT_TRUE(host);
}

TEST_F(AxHostTest, StandInRegistersItsClassAndTypeLibrary) {
  ITypeLib* library = nullptr;
  ASSERT_EQ(S_OK, LoadRegTypeLib(LIBID_ZUMIPICTAVOEXLib, 1, 0, LOCALE_NEUTRAL, &library));
  ITypeInfo* events = nullptr;
  EXPECT_EQ(S_OK, library->GetTypeInfoOfGuid(DIID__IPictavoExEvents, &events));
  if (events) events->Release();
  library->Release();
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS,
            RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                          L"Software\\Classes\\CLSID\\{05F5F404-7C24-4B39-B5CC-340CEDEB9C0D}"
                          L"\\InprocServer32",
                          0, KEY_READ, &key));
  wchar_t path[MAX_PATH] = {};
  DWORD size = sizeof(path);
  EXPECT_EQ(ERROR_SUCCESS,
            RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(path), &size));
  RegCloseKey(key);
  EXPECT_NE(nullptr, wcsstr(path, L"ZumiPictavoEx.dll"));
}

TEST_F(AxHostTest, HostWindowIsAChildWithTheGivenStylesTextAndArea) {
  UniqueWindow host(MakeHost());
  ASSERT_TRUE(host);
  EXPECT_EQ(plugin_, GetParent(host.get()));
  const DWORD style = GetWindowLongW(host.get(), GWL_STYLE);
  EXPECT_EQ(static_cast<DWORD>(WS_CHILD | WS_VISIBLE | kClipStyles),
            style & (WS_CHILD | WS_VISIBLE | WS_POPUP | kClipStyles));
  EXPECT_EQ(0, GetWindowLongW(host.get(), GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY);
  wchar_t text[64] = {};
  GetWindowTextW(host.get(), text, 64);
  EXPECT_STREQ(kContainerText, text);
  RECT rect{};
  GetWindowRect(host.get(), &rect);
  MapWindowPoints(nullptr, plugin_, reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(0, rect.left);
  EXPECT_EQ(0, rect.top);
  EXPECT_EQ(320, rect.right);
  EXPECT_EQ(240, rect.bottom);
}

TEST_F(AxHostTest, HostWindowInitialisesOleForItsLifetime) {
  UniqueWindow host(MakeHost());
  ASSERT_TRUE(host);
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  EXPECT_EQ(S_FALSE, hr) << "OLE should already be initialised by the host window";
  if (SUCCEEDED(hr)) CoUninitialize();
  host.reset();
  hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  EXPECT_EQ(S_OK, hr) << "the host window should have uninitialised OLE";
  if (SUCCEEDED(hr)) CoUninitialize();
}

TEST_F(AxHostTest, AnswersTheHostAndControlMessages) {
  UniqueWindow host(MakeHost());
  ASSERT_TRUE(host);
  auto* container =
      reinterpret_cast<IUnknown*>(SendMessageW(host.get(), axhost::HostMessage(), 0, 0));
  ASSERT_NE(nullptr, container);
  ComPtr<IAxWinHostWindow> hostWindow;
  EXPECT_EQ(S_OK, container->QueryInterface(IID_IAxWinHostWindow, &hostWindow));
  EXPECT_EQ(static_cast<IAxWinHostWindow*>(hostWindow.Get()),
            reinterpret_cast<IAxWinHostWindow*>(GetWindowLongPtrW(host.get(), GWLP_USERDATA)));
  EXPECT_EQ(0, SendMessageW(host.get(), axhost::ControlMessage(), 0, 0)) << "no control yet";

  EXPECT_EQ(S_OK, hostWindow->CreateControl(L"{05F5F404-7C24-4B39-B5CC-340CEDEB9C0D}", host.get(),
                                            nullptr));
  auto* control =
      reinterpret_cast<IUnknown*>(SendMessageW(host.get(), axhost::ControlMessage(), 0, 0));
  ASSERT_NE(nullptr, control);
  ComPtr<IPictavoEx> pictavo;
  EXPECT_EQ(S_OK, control->QueryInterface(IID_PPV_ARGS(&pictavo)));
  ComPtr<IPictavoEx> queried;
  EXPECT_EQ(S_OK, hostWindow->QueryControl(IID_PPV_ARGS(&queried)));
  EXPECT_EQ(pictavo.Get(), queried.Get());
}

TEST_F(AxHostTest, ControlIsSitedAndInPlaceActiveFillingTheHost) {
  ComPtr<IPictavoEx> control;
  UniqueWindow host(MakeHostWithControl(&control));
  ASSERT_TRUE(control);
  EXPECT_EQ(1, fixture_->LiveControls());
  EXPECT_TRUE(MutexExists());
  const auto lines = Lines(fixture_->Journal());
  const int site = Find(lines, L"SetClientSite site");
  const int activate = Find(lines, L"InPlaceActivate");
  EXPECT_GE(site, 0);
  EXPECT_GT(activate, site) << fixture_->Journal();

  HWND controlWindow = fixture_->ControlWindow();
  ASSERT_TRUE(IsWindow(controlWindow));
  EXPECT_EQ(host.get(), GetParent(controlWindow));
  EXPECT_TRUE(IsWindowVisible(controlWindow));
  RECT rect{};
  GetWindowRect(controlWindow, &rect);
  MapWindowPoints(nullptr, host.get(), reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(0, rect.left);
  EXPECT_EQ(0, rect.top);
  EXPECT_EQ(ClientSize(host.get()).cx, rect.right);
  EXPECT_EQ(ClientSize(host.get()).cy, rect.bottom);

  SetFocus(host.get());
  EXPECT_EQ(controlWindow, GetFocus()) << "focus given to the host passes to the control";

  ComPtr<IOleInPlaceObject> inPlace;
  ASSERT_EQ(S_OK, control.As(&inPlace));
  HWND reported = nullptr;
  EXPECT_EQ(S_OK, inPlace->GetWindow(&reported));
  EXPECT_EQ(controlWindow, reported);
}

TEST_F(AxHostTest, HostAndControlFollowResizesWithoutMovingForAnUnchangedSize) {
  ComPtr<IPictavoEx> control;
  UniqueWindow host(MakeHostWithControl(&control));
  ASSERT_TRUE(control);
  EXPECT_FALSE(axhost::ResizeHostWindow(host.get(), 320, 240)) << "size unchanged";
  fixture_->ClearJournal();
  EXPECT_TRUE(axhost::ResizeHostWindow(host.get(), 200, 150));
  EXPECT_EQ(200, ClientSize(host.get()).cx);
  EXPECT_EQ(150, ClientSize(host.get()).cy);
  RECT rect{};
  GetWindowRect(host.get(), &rect);
  MapWindowPoints(nullptr, plugin_, reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(0, rect.left) << "the position stays";
  EXPECT_EQ(0, rect.top);
  EXPECT_EQ(200, ClientSize(fixture_->ControlWindow()).cx);
  EXPECT_EQ(150, ClientSize(fixture_->ControlWindow()).cy);
  EXPECT_GE(Find(Lines(fixture_->Journal()), L"SetObjectRects 200x150"), 0);

  EXPECT_TRUE(axhost::ResizeHostWindow(host.get(), 640, 480));
  EXPECT_EQ(640, ClientSize(fixture_->ControlWindow()).cx);
  fixture_->ClearJournal();
  EXPECT_FALSE(axhost::ResizeHostWindow(host.get(), 640, 480));
  EXPECT_EQ(L"", fixture_->Journal());
  EXPECT_FALSE(axhost::ResizeHostWindow(nullptr, 10, 10));
}

TEST_F(AxHostTest, DestroyingTheHostDeactivatesClosesAndReleasesTheControl) {
  ComPtr<IPictavoEx> control;
  UniqueWindow host(MakeHostWithControl(&control));
  ASSERT_TRUE(control);
  HWND controlWindow = fixture_->ControlWindow();
  fixture_->ClearJournal();

  control.Reset();  // the plug-in lets go of its reference first
  DestroyWindow(host.release());

  EXPECT_FALSE(IsWindow(controlWindow));
  EXPECT_EQ(0, fixture_->LiveControls());
  EXPECT_FALSE(MutexExists());
  const auto lines = Lines(fixture_->Journal());
  const int released = 0;
  const int deactivated = Find(lines, L"InPlaceDeactivate");
  const int windowGone = Find(lines, L"WindowDestroyed");
  const int closed = Find(lines, L"Close");
  const int unsited = Find(lines, L"SetClientSite null");
  const int last = Find(lines, L"Release 0");
  const int destroyed = Find(lines, L"Destroyed");
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(0u, lines[released].rfind(L"Release ", 0)) << "the plug-in's release comes first";
  EXPECT_NE(L"Release 0", lines[released]);
  EXPECT_GT(deactivated, released);
  EXPECT_GT(windowGone, deactivated);
  EXPECT_GT(closed, deactivated);
  EXPECT_GT(unsited, closed);
  EXPECT_GT(last, unsited);
  EXPECT_EQ(last + 1, destroyed) << fixture_->Journal();
  EXPECT_EQ(static_cast<int>(lines.size()) - 1, destroyed);
}

TEST_F(AxHostTest, UnregisteredClassFailsCleanlyAndTheHostCanTryAgain) {
  UniqueWindow host(MakeHost());
  ASSERT_TRUE(host);
  const CLSID unknown = {
      0x1b2c3d4e, 0x1111, 0x2222, {0x33, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};
  EXPECT_EQ(REGDB_E_CLASSNOTREG, axhost::CreateControl(host.get(), unknown));
  ComPtr<IPictavoEx> control;
  EXPECT_FAILED(axhost::QueryControl(host.get(), IID_PPV_ARGS(&control)));
  EXPECT_EQ(nullptr, control.Get());
  EXPECT_EQ(0, fixture_->LiveControls());

  ComPtr<IAxWinHostWindow> container;
  ASSERT_EQ(S_OK, axhost::GetHost(host.get(), &container));
  EXPECT_FAILED(container->CreateControl(L"not a class", host.get(), nullptr));
  EXPECT_EQ(E_INVALIDARG, container->CreateControl(L"", host.get(), nullptr));

  EXPECT_EQ(S_OK, axhost::CreateControl(host.get(), CLSID_PictavoEx));
  EXPECT_EQ(S_OK, axhost::QueryControl(host.get(), IID_PPV_ARGS(&control)));
  EXPECT_EQ(1, fixture_->LiveControls());
  control.Reset();
  container.Reset();
  host.reset();
  EXPECT_EQ(0, fixture_->LiveControls());
}

TEST_F(AxHostTest, HelpersRefuseWindowsThatAreNotHosts) {
  ComPtr<IAxWinHostWindow> container;
  EXPECT_FAILED(axhost::GetHost(nullptr, &container));
  EXPECT_FAILED(axhost::GetHost(plugin_, &container));
  EXPECT_EQ(nullptr, container.Get());
  ComPtr<IUnknown> control;
  EXPECT_FAILED(axhost::QueryControl(plugin_, IID_PPV_ARGS(&control)));
  EXPECT_FAILED(axhost::CreateControl(plugin_, CLSID_PictavoEx));
  EXPECT_EQ(0, fixture_->LiveControls());
}

TEST_F(AxHostTest, HostedControlJournalsVtableCallsDispatchAndEvents) {
  ComPtr<IPictavoEx> control;
  UniqueWindow host(MakeHostWithControl(&control));
  ASSERT_TRUE(control);
  fixture_->ClearJournal();

  UniqueBstr server(SysAllocString(L"srv"));
  UniqueBstr withNul(SysAllocStringLen(L"a\0b", 3));
  UniqueBstr empty(SysAllocString(L""));
  EXPECT_EQ(S_OK, control->SetReportServer(server.get(), -7));
  EXPECT_EQ(S_OK, control->SetUserInfo(withNul.get(), nullptr));
  EXPECT_EQ(S_OK, control->SetSizeLimits(empty.get(), server.get()));
  fixture_->SetResult(59, S_FALSE);
  EXPECT_EQ(S_FALSE, control->InvalidateAll());
  fixture_->SetResult(14, E_ACCESSDENIED);
  EXPECT_EQ(E_ACCESSDENIED, control->Upload());
  fixture_->SetOutLong(37, 42);
  long count = -1;
  EXPECT_EQ(S_OK, control->GetPhotoCount(&count));
  EXPECT_EQ(42, count);
  fixture_->SetOutString(10, nullptr, 0);
  BSTR key = nullptr;
  EXPECT_EQ(S_OK, control->GetUploadKey(&key));
  EXPECT_EQ(nullptr, key);
  fixture_->SetOutString(10, L"k\0y", 3);
  EXPECT_EQ(S_OK, control->GetUploadKey(&key));
  ASSERT_NE(nullptr, key);
  EXPECT_EQ(3u, SysStringLen(key));
  SysFreeString(key);
  EXPECT_EQ(S_OK, control->SetWebpCompress(92));

  // The same operations through IDispatch and the type library.
  LPOLESTR name = const_cast<LPOLESTR>(L"SetThumbSize");
  DISPID id = 0;
  ASSERT_EQ(S_OK, control->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id));
  VARIANT args[2];
  args[0].vt = VT_I4;  // last argument first
  args[0].lVal = 90;
  args[1].vt = VT_I4;
  args[1].lVal = 120;
  DISPPARAMS params{args, nullptr, 2, 0};
  EXPECT_EQ(S_OK, control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                  nullptr, nullptr, nullptr));

  const std::wstring expected =
      L"8 SetReportServer(\"srv\"/3,-7)\n"
      L"65 SetUserInfo(\"a\\0b\"/3,null)\n"
      L"44 SetSizeLimits(\"\"/0,\"srv\"/3)\n"
      L"59 InvalidateAll()\n"
      L"14 Upload()\n"
      L"37 GetPhotoCount(out)\n"
      L"10 GetUploadKey(out)\n"
      L"10 GetUploadKey(out)\n"
      L"92 SetWebpCompress(92)\n"
      L"78 SetThumbSize(120,90)\n";
  EXPECT_EQ(expected, fixture_->Journal());

  // Events reach a sink connected to the control's connection point.
  RecordingSink sink;
  ComPtr<IConnectionPointContainer> points;
  ASSERT_EQ(S_OK, control.As(&points));
  ComPtr<IConnectionPoint> point;
  ASSERT_EQ(S_OK, points->FindConnectionPoint(DIID__IPictavoExEvents, &point));
  DWORD cookie = 0;
  ASSERT_EQ(S_OK, point->Advise(&sink, &cookie));
  EXPECT_EQ(1, fixture_->ConnectionCount());
  VARIANT eventArgs[2];
  eventArgs[0].vt = VT_I4;
  eventArgs[0].lVal = 3;
  eventArgs[1].vt = VT_I4;
  eventArgs[1].lVal = 4;
  EXPECT_EQ(S_OK, fixture_->FireEvent(1, eventArgs, 2));
  ASSERT_EQ(1u, sink.events.size());
  EXPECT_EQ(1, sink.events[0].first);
  EXPECT_EQ((std::vector<long>{3, 4}), sink.events[0].second);
  EXPECT_EQ(S_OK, point->Unadvise(cookie));
  EXPECT_EQ(S_OK, fixture_->FireEvent(1, eventArgs, 2));
  EXPECT_EQ(1u, sink.events.size());
  EXPECT_EQ(1u, sink.refs);
}

TEST_F(AxHostTest, HostedControlLoadsItsSettingsFromAPropertyBag) {
  ComPtr<IPictavoEx> control;
  UniqueWindow host(MakeHostWithControl(&control));
  ASSERT_TRUE(control);
  ComPtr<IPersistPropertyBag> persist;
  ASSERT_EQ(S_OK, control.As(&persist));
  fixture_->ClearJournal();
  TwoSettingBag bag;
  EXPECT_EQ(S_OK, persist->Load(&bag, nullptr));
  fixture_->SetResult(-1, E_INVALIDARG);
  EXPECT_EQ(E_INVALIDARG, persist->Load(&bag, nullptr));
  EXPECT_EQ(
      L"Load(TokenContent=\"\"/0,UploadLimit=20)\n"
      L"Load(TokenContent=\"\"/0,UploadLimit=20)\n",
      fixture_->Journal());
}

TEST_F(AxHostTest, ContainerDropsItsOwnEventConnectionBeforeClosingTheControl) {
  UniqueWindow host(MakeHost());
  ASSERT_TRUE(host);
  ComPtr<IAxWinHostWindow> container;
  ASSERT_EQ(S_OK, axhost::GetHost(host.get(), &container));
  RecordingSink sink;
  ComPtr<IUnknown> control;
  ASSERT_EQ(S_OK, container->CreateControlEx(L"{05F5F404-7C24-4B39-B5CC-340CEDEB9C0D}", host.get(),
                                             nullptr, &control, DIID__IPictavoExEvents, &sink));
  ASSERT_TRUE(control);
  EXPECT_EQ(1, fixture_->ConnectionCount());
  VARIANT arg;
  arg.vt = VT_I4;
  arg.lVal = 7;
  EXPECT_EQ(S_OK, fixture_->FireEvent(3, &arg, 1));
  ASSERT_EQ(1u, sink.events.size());
  EXPECT_EQ((std::vector<long>{7}), sink.events[0].second);

  control.Reset();
  container.Reset();
  fixture_->ClearJournal();
  host.reset();
  const auto lines = Lines(fixture_->Journal());
  const int unadvised = Find(lines, L"Unadvise 1");
  EXPECT_GE(unadvised, 0) << fixture_->Journal();
  EXPECT_LT(unadvised, Find(lines, L"Close"));
  EXPECT_EQ(1u, sink.refs) << "the container let go of the sink";
  EXPECT_EQ(1u, sink.events.size());
}

// A sink for an interface the control has no connection point for fails the
// creation: nothing is connected, and no control is left behind half made.
TEST_F(AxHostTest, SinkThatCannotBeConnectedFailsTheCreation) {
  UniqueWindow host(MakeHost());
  ASSERT_TRUE(host);
  ComPtr<IAxWinHostWindow> container;
  ASSERT_EQ(S_OK, axhost::GetHost(host.get(), &container));
  RecordingSink sink;
  ComPtr<IUnknown> control;
  EXPECT_TRUE(
      FAILED(container->CreateControlEx(L"{05F5F404-7C24-4B39-B5CC-340CEDEB9C0D}", host.get(),
                                        nullptr, &control, IID_IDispatch, &sink)));
  EXPECT_FALSE(control);
  EXPECT_EQ(0, fixture_->ConnectionCount());
  ComPtr<IUnknown> hosted;
  EXPECT_FALSE(SUCCEEDED(container->QueryControl(IID_PPV_ARGS(&hosted))) && hosted);
  EXPECT_EQ(0, fixture_->LiveControls());
  EXPECT_EQ(1u, sink.refs);
}

TEST_F(AxHostTest, LicensedTwinClassHostsTheSameWay) {
  RECT client{};
  GetClientRect(plugin_, &client);
  UniqueWindow host(CreateWindowExW(0, L"AtlAxWinLic80", nullptr, WS_CHILD | WS_VISIBLE, 0, 0,
                                    client.right, client.bottom, plugin_, nullptr,
                                    GetModuleHandleW(nullptr), nullptr));
  ASSERT_TRUE(host);
  EXPECT_EQ(S_OK, axhost::CreateControl(host.get(), CLSID_PictavoEx));
  EXPECT_EQ(host.get(), GetParent(fixture_->ControlWindow()));
  host.reset();
  EXPECT_EQ(0, fixture_->LiveControls());
}

}  // namespace
