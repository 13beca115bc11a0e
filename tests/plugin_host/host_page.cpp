#include "host_page.h"

namespace hosttest {

const std::string Page::kControlFile = "ZumiPictavoEx.dll";

namespace {

FixtureControl* g_fixture = nullptr;

// The control's registration goes when the program ends, so tests that expect
// no control find none.
class FixtureEnvironment : public ::testing::Environment {
 public:
  void TearDown() override {
    delete g_fixture;
    g_fixture = nullptr;
  }
};

::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new FixtureEnvironment);

}  // namespace

FixtureControl& Fixture() {
  if (!g_fixture) g_fixture = new FixtureControl();
  return *g_fixture;
}

npbrowser::Browser& StartedBrowser() {
  npbrowser::Browser& browser = npbrowser::Browser::Get();
  static bool started = false;
  if (!started) {
    EXPECT_TRUE(browser.Load(testsupport::BinaryPath(L"npZumiPictavoEx.dll")));
    EXPECT_EQ(NPERR_NO_ERROR, browser.Start());
    started = true;
  }
  return browser;
}

std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

std::vector<std::wstring> CallLines(const std::wstring& journal) {
  std::vector<std::wstring> calls;
  for (const std::wstring& line : Lines(journal))
    if (!line.empty() && iswdigit(line[0]) && line.find(L'(') != std::wstring::npos)
      calls.push_back(line);
  return calls;
}

int CountLines(const std::vector<std::wstring>& lines, const std::wstring& line) {
  int count = 0;
  for (const std::wstring& each : lines) count += each == line;
  return count;
}

bool MutexExists() {
  HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"ZumiPictavoEx");
  if (!mutex) return false;
  CloseHandle(mutex);
  return true;
}

NPVariant Text(const std::string& text) {
  NPVariant value;
  STRINGN_TO_NPVARIANT(text.data(), static_cast<uint32_t>(text.size()), value);
  return value;
}

Page::Page() {
  StartedBrowser();
  EXPECT_EQ(NPERR_NO_ERROR, m_instance.New());
  m_object = m_instance.Scriptable();
  EXPECT_TRUE(m_object);
}

Page::~Page() {
  Destroy();
  if (IsWindow(m_window)) DestroyWindow(m_window);
}

NPError Page::Attach(int width, int height) {
  m_window = StartedBrowser().NewPluginWindow(width, height);
  return m_instance.SetWindow(m_window, width, height);
}

NPError Page::Resize(int width, int height) {
  SetWindowPos(m_window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
  return m_instance.SetWindow(m_window, width, height);
}

NPError Page::Report(HWND window, int width, int height, NPWindowType type) {
  return m_instance.SetWindow(window, width, height, type);
}

NPError Page::Destroy() {
  if (m_destroyed) return NPERR_NO_ERROR;
  m_destroyed = true;
  NPError error = m_instance.Destroy();
  // Page script lets go of the object after the instance is gone.
  if (m_object) StartedBrowser().Release(m_object);
  m_object = nullptr;
  return error;
}

bool Page::Call(const char* method, const std::vector<NPVariant>& args, NPVariant* result) {
  NPVariant scratch;
  VOID_TO_NPVARIANT(scratch);
  NPVariant* out = result ? result : &scratch;
  bool ok = m_object && StartedBrowser().Call(m_object, method, args, out);
  if (!result) StartedBrowser().ReleaseVariant(&scratch);
  return ok;
}

HWND Page::Host() const {
  return m_window ? FindWindowExW(m_window, nullptr, L"AtlAxWin80", nullptr) : nullptr;
}

}  // namespace hosttest
