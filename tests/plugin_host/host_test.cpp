// The plug-in creating, sizing and tearing down the stand-in upload control
// in its browser window, as page script and the browser drive it.
#include <windows.h>

#include <string>
#include <vector>

#include "host_page.h"

namespace npb = npbrowser;
using namespace hosttest;

namespace {

constexpr UINT kPluginMessage = 0x750;
const std::wstring kInvalidateAll = L"59 InvalidateAll()";

int LiveControls() { return Fixture().LiveControls(); }

class Hosting : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Fixture().Ready()) << std::hex << Fixture().RegisterResult();
    Fixture().Reset();
    StartedBrowser();
  }
  void TearDown() override {
    npb::Browser& browser = StartedBrowser();
    EXPECT_EQ(0, LiveControls());
    EXPECT_FALSE(MutexExists());
    EXPECT_EQ(0u, browser.LivePluginObjects());
    EXPECT_EQ(0u, browser.OutstandingAllocations());
    EXPECT_EQ(0u, browser.BadFrees());
    EXPECT_EQ(0u, browser.BadReleases());
  }
};

TEST_F(Hosting, CreateAXBeforeAWindowCreatesNothingThenCreatesOnceAfterAttach) {
  Page page;
  EXPECT_TRUE(page.CreateAX());
  EXPECT_EQ(0, LiveControls());
  EXPECT_FALSE(page.Call("GetPhotoCount", {}));

  ASSERT_EQ(NPERR_NO_ERROR, page.Attach(320, 240));
  EXPECT_EQ(0, LiveControls()) << "attaching alone creates no control";
  EXPECT_FALSE(page.Host());
  EXPECT_TRUE(page.CreateAX());
  EXPECT_EQ(1, LiveControls());
  EXPECT_TRUE(MutexExists());
  HWND host = page.Host();
  EXPECT_TRUE(host);

  EXPECT_TRUE(page.CreateAX());
  EXPECT_EQ(1, LiveControls());
  EXPECT_EQ(host, page.Host());
  EXPECT_FALSE(FindWindowExW(page.Window(), host, L"AtlAxWin80", nullptr)) << "one host window";
  EXPECT_EQ(1, CountLines(Lines(Fixture().Journal()), L"Created"));
  EXPECT_TRUE(page.Call("GetPhotoCount", {}));
}

TEST_F(Hosting, CreateAXTakesOnlyTheControlFileName) {
  Page page;
  ASSERT_EQ(NPERR_NO_ERROR, page.Attach(200, 100));
  const std::string longName = "ZumiPictavoEx.dll" + std::string(300, 'x');
  const std::string longOther = std::string(300, 'Z');
  EXPECT_FALSE(page.Call("CreateAX", {}));
  EXPECT_FALSE(page.Call("CreateAX", {Text("zumipictavoex.dll")}));
  EXPECT_FALSE(page.Call("CreateAX", {Text("ZumiPictavoEx")}));
  EXPECT_FALSE(page.Call("CreateAX", {Text("")}));
  EXPECT_FALSE(page.Call("CreateAX", {npb::Int(1)}));
  EXPECT_FALSE(page.Call("CreateAX", {npb::Null()}));
  EXPECT_FALSE(page.Call("createax", {Text(Page::kControlFile)}));
  EXPECT_FALSE(page.Call("CreateAX", {Text(longName)}));
  EXPECT_FALSE(page.Call("CreateAX", {Text(longOther)}));
  EXPECT_EQ(0, LiveControls());
  EXPECT_FALSE(page.Host());

  // The name ends at a NUL byte; anything after it, and any further argument,
  // is not looked at.
  const std::string withNul = Page::kControlFile + std::string(1, '\0') + "trailing bytes";
  EXPECT_TRUE(page.Call("CreateAX", {Text(withNul), npb::Int(7)}));
  EXPECT_EQ(1, LiveControls());
}

// The message comes from another window of the user, not from a page: the
// site lock leaves it alone, also in a page of a foreign site.
TEST_F(Hosting, MessageWithWParamOneCreatesTheControl) {
  struct ForeignPage {
    ForeignPage() { StartedBrowser().SetPageAddress({"https://photos.example.net", "", {}}); }
    ~ForeignPage() { StartedBrowser().SetPageAddress(npbrowser::MakerPage()); }
  } foreign;
  Page page;
  ASSERT_EQ(NPERR_NO_ERROR, page.Attach(200, 100));
  SendMessageW(page.Window(), kPluginMessage, 0, 0);
  SendMessageW(page.Window(), kPluginMessage, 2, 1);
  EXPECT_EQ(0, LiveControls());
  EXPECT_FALSE(page.Host());

  SendMessageW(page.Window(), kPluginMessage, 1, 0);
  EXPECT_EQ(1, LiveControls());
  HWND host = page.Host();
  EXPECT_TRUE(host);
  SendMessageW(page.Window(), kPluginMessage, 1, 0);
  EXPECT_EQ(1, LiveControls());
  EXPECT_EQ(host, page.Host());
  EXPECT_TRUE(page.Call("Init", {}));
  EXPECT_FALSE(page.CreateAX());
}

TEST_F(Hosting, HostWindowIsAStyledChildOverTheClientArea) {
  Page page;
  ASSERT_EQ(NPERR_NO_ERROR, page.Attach(320, 240));
  ASSERT_TRUE(page.CreateAX());
  HWND host = page.Host();
  ASSERT_TRUE(host);
  EXPECT_EQ(page.Window(), GetParent(host));
  const DWORD style = GetWindowLongW(host, GWL_STYLE);
  const DWORD wanted = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  EXPECT_EQ(wanted, style & wanted) << std::hex << style;
  EXPECT_EQ(0u, style & (WS_CAPTION | WS_BORDER | WS_POPUP)) << std::hex << style;
  EXPECT_EQ(0, GetWindowLongW(host, GWL_EXSTYLE));
  EXPECT_EQ(nullptr, GetMenu(host));
  wchar_t text[64] = {};
  GetWindowTextW(host, text, 64);
  EXPECT_STREQ(L"FireFox-m_ZumiPictavoExContainer", text);

  RECT client{}, hostRect{};
  GetClientRect(page.Window(), &client);
  MapWindowPoints(page.Window(), nullptr, reinterpret_cast<POINT*>(&client), 2);
  GetWindowRect(host, &hostRect);
  EXPECT_TRUE(EqualRect(&client, &hostRect));
  // The control fills the host window.
  RECT controlRect{};
  GetWindowRect(Fixture().ControlWindow(), &controlRect);
  EXPECT_TRUE(EqualRect(&hostRect, &controlRect));
}

// Counts the host window's position changes.
int g_positionChanges = 0;
WNDPROC g_hostProc = nullptr;
LRESULT CALLBACK CountingHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_WINDOWPOSCHANGING) ++g_positionChanges;
  return CallWindowProcW(g_hostProc, window, message, wParam, lParam);
}

SIZE WindowSize(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

TEST_F(Hosting, HostWindowFollowsEveryReportedSizeAndTheControlRepaints) {
  Page page;
  ASSERT_EQ(NPERR_NO_ERROR, page.Attach(320, 240));
  // Before the control exists, size reports move nothing and fail quietly.
  EXPECT_EQ(NPERR_NO_ERROR, page.Resize(300, 200));
  ASSERT_TRUE(page.CreateAX());
  HWND host = page.Host();
  ASSERT_TRUE(host);
  g_positionChanges = 0;
  g_hostProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingHostProc)));

  const SIZE sizes[] = {{400, 300}, {400, 300}, {150, 90}, {151, 90}, {151, 90}};
  int expectedChanges = 0;
  SIZE current = WindowSize(host);
  for (const SIZE& size : sizes) {
    Fixture().ClearJournal();
    ASSERT_EQ(NPERR_NO_ERROR, page.Resize(size.cx, size.cy));
    const SIZE now = WindowSize(host);
    EXPECT_EQ(size.cx, now.cx);
    EXPECT_EQ(size.cy, now.cy);
    if (size.cx != current.cx || size.cy != current.cy) ++expectedChanges;
    current = size;
    EXPECT_EQ(expectedChanges, g_positionChanges) << size.cx << "x" << size.cy;
    EXPECT_EQ(std::vector<std::wstring>{kInvalidateAll}, CallLines(Fixture().Journal()));
  }
  SetWindowLongPtrW(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_hostProc));
}

TEST_F(Hosting, DestroyReleasesTheControlBeforeTheHostWindowGoes) {
  Page page;
  ASSERT_EQ(NPERR_NO_ERROR, page.Attach(320, 240));
  ASSERT_TRUE(page.CreateAX());
  HWND host = page.Host();
  ASSERT_TRUE(host);
  ASSERT_TRUE(page.Call("SetUserZumi", {Text("someone")}));
  Fixture().ClearJournal();

  ASSERT_EQ(NPERR_NO_ERROR, page.Destroy());
  EXPECT_FALSE(IsWindow(host));
  EXPECT_FALSE(FindWindowExW(page.Window(), nullptr, L"AtlAxWin80", nullptr));
  const std::vector<std::wstring> lines = Lines(Fixture().Journal());
  ASSERT_FALSE(lines.empty());
  // The event sink leaves the control first; then the instance's own
  // reference goes, while the container still holds the control; then the
  // host window's end deactivates, closes and frees it.
  EXPECT_EQ(L"Unadvise 1", lines.front());
  ASSERT_LT(1u, lines.size());
  EXPECT_EQ(0u, lines[1].find(L"Release ")) << lines[1];
  EXPECT_NE(L"Release 0", lines[1]);
  auto position = [&](const std::wstring& line) {
    for (size_t i = 0; i < lines.size(); ++i)
      if (lines[i] == line) return static_cast<int>(i);
    return -1;
  };
  EXPECT_LT(0, position(L"Close"));
  EXPECT_LT(position(L"Close"), position(L"Release 0"));
  EXPECT_LT(position(L"Release 0"), position(L"Destroyed"));
  EXPECT_EQ(0, LiveControls());
  EXPECT_FALSE(MutexExists());
  EXPECT_EQ(0, Fixture().ConnectionCount());
  // The browser's window procedure is back: the message reaches no instance.
  SendMessageW(page.Window(), kPluginMessage, 1, 0);
  EXPECT_EQ(0, LiveControls());
}

TEST_F(Hosting, ReportsOtherThanALiveWindowLeaveTheHostAlone) {
  Page page;
  ASSERT_EQ(NPERR_NO_ERROR, page.Attach(320, 240));
  ASSERT_TRUE(page.CreateAX());
  HWND host = page.Host();
  Fixture().ClearJournal();
  EXPECT_EQ(NPERR_NO_ERROR, page.Report(nullptr, 100, 100, NPWindowTypeWindow));
  EXPECT_EQ(NPERR_NO_ERROR, page.Report(page.Window(), 100, 100, NPWindowTypeDrawable));
  const SIZE size = WindowSize(host);
  EXPECT_EQ(320, size.cx);
  EXPECT_EQ(240, size.cy);
  EXPECT_TRUE(CallLines(Fixture().Journal()).empty());
  // The instance stays with its first window.
  EXPECT_EQ(NPERR_NO_ERROR, page.Report(page.Window(), 200, 100, NPWindowTypeWindow));
  EXPECT_EQ(200, WindowSize(host).cx);
}

TEST_F(Hosting, BrowserWindowGoneBeforeDestroyTakesTheControlAlong) {
  Page page;
  ASSERT_EQ(NPERR_NO_ERROR, page.Attach(320, 240));
  ASSERT_TRUE(page.CreateAX());
  HWND host = page.Host();
  DestroyWindow(page.Window());
  EXPECT_FALSE(IsWindow(host));
  EXPECT_EQ(NPERR_NO_ERROR, page.Resize(100, 100));
  EXPECT_TRUE(page.CreateAX());
  EXPECT_EQ(NPERR_NO_ERROR, page.Destroy());
  EXPECT_EQ(0, LiveControls());
}

// Class registration of the control, changed by the tests below.
class Registration {
 public:
  Registration() : m_module(GetModuleHandleW(L"ZumiPictavoEx.dll")) {}
  ~Registration() { Register(); }
  void Unregister() { Call("DllUnregisterServer"); }
  void Register() { Call("DllRegisterServer"); }
  // Registered, but served by another file.
  void PointAt(const std::wstring& path) {
    Register();
    const wchar_t key[] =
        L"Software\\Classes\\CLSID\\{05F5F404-7C24-4B39-B5CC-340CEDEB9C0D}\\InprocServer32";
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, nullptr, REG_SZ, path.c_str(),
                              static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t))));
  }

 private:
  void Call(const char* name) {
    auto function = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(GetProcAddress(m_module, name));
    ASSERT_TRUE(function);
    EXPECT_EQ(S_OK, function());
  }
  HMODULE m_module;
};

TEST_F(Hosting, ControlThatCannotBeCreatedLeavesNothingAndALaterCreateAXWorks) {
  Registration registration;
  Page page;
  ASSERT_EQ(NPERR_NO_ERROR, page.Attach(320, 240));

  registration.Unregister();
  EXPECT_TRUE(page.CreateAX());
  EXPECT_EQ(0, LiveControls());
  EXPECT_FALSE(page.Host()) << "a failed attempt leaves no host window behind";
  EXPECT_FALSE(page.Call("Init", {}));
  EXPECT_FALSE(page.Call("GetPhotoCount", {}));

  registration.PointAt(L"C:\\nowhere\\ZumiPictavoEx.dll");
  EXPECT_TRUE(page.CreateAX());
  EXPECT_EQ(0, LiveControls());
  EXPECT_FALSE(page.Host());
  EXPECT_FALSE(page.Call("Init", {}));
  EXPECT_EQ(NPERR_NO_ERROR, page.Resize(300, 200)) << "size reports without a control";

  registration.Register();
  Fixture().ClearJournal();
  EXPECT_TRUE(page.CreateAX());
  EXPECT_EQ(1, LiveControls());
  EXPECT_TRUE(page.Host());
  EXPECT_FALSE(FindWindowExW(page.Window(), page.Host(), L"AtlAxWin80", nullptr));
  EXPECT_TRUE(page.Call("Init", {}));
  EXPECT_EQ(std::vector<std::wstring>{L"42 Init()"}, CallLines(Fixture().Journal()));
}

TEST_F(Hosting, ControlRefusingItsInterfaceIsLetGoWithItsHostWindow) {
  Registration registration;
  HMODULE plain = LoadLibraryW(testsupport::BinaryPath(L"PlainObject.dll").c_str());
  ASSERT_TRUE(plain);
  auto liveObjects = reinterpret_cast<LONG (*)()>(GetProcAddress(plain, "PlainLiveObjects"));
  auto objectsMade = reinterpret_cast<LONG (*)()>(GetProcAddress(plain, "PlainObjectsMade"));
  ASSERT_TRUE(liveObjects && objectsMade);
  {
    Page page;
    ASSERT_EQ(NPERR_NO_ERROR, page.Attach(320, 240));
    registration.PointAt(testsupport::BinaryPath(L"PlainObject.dll"));
    EXPECT_TRUE(page.CreateAX());
    EXPECT_EQ(1, objectsMade());
    EXPECT_EQ(0, liveObjects()) << "the object that was made is released again";
    EXPECT_FALSE(page.Host());
    EXPECT_FALSE(page.Call("Init", {}));

    registration.Register();
    EXPECT_TRUE(page.CreateAX());
    EXPECT_EQ(1, LiveControls());
    EXPECT_TRUE(page.Call("Init", {}));
  }
  EXPECT_EQ(0, liveObjects());
  CoFreeUnusedLibraries();
  FreeLibrary(plain);
}

TEST_F(Hosting, InstancesHostTheirOwnControls) {
  Page first, second;
  ASSERT_EQ(NPERR_NO_ERROR, first.Attach(200, 100));
  ASSERT_EQ(NPERR_NO_ERROR, second.Attach(100, 50));
  ASSERT_TRUE(first.CreateAX());
  ASSERT_TRUE(second.CreateAX());
  EXPECT_EQ(2, LiveControls());
  ASSERT_EQ(NPERR_NO_ERROR, first.Destroy());
  EXPECT_EQ(1, LiveControls());
  Fixture().ClearJournal();
  EXPECT_TRUE(second.Call("SetSvrTime", {npb::Int(5)}));
  EXPECT_EQ(std::vector<std::wstring>{L"46 SetSvrTime(5)"}, CallLines(Fixture().Journal()));
}

}  // namespace
