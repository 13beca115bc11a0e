#include "page_host.h"

#include <windows.h>

#include <stdio.h>
#include <wchar.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>

#include "browser.h"
#include "page_document.h"
#include "plugin_finder.h"
#include "owners/scoped_com.h"
#include "owners/scoped_win.h"
#include "window_png.h"

namespace pagehost {

const char kPluginMimeType[] = "application/orvane-zumipictavoex2-plugin";

namespace {

constexpr int kMargin = 8;
// A script stuck in a loop cannot be interrupted: past the time limit and
// this grace the process ends.
constexpr DWORD kWatchdogGraceMs = 5000;

bool ReadFile(const std::wstring& path, std::string* contents) {
  std::ifstream file(path.c_str(), std::ios::binary);
  if (!file) return false;
  std::ostringstream text;
  text << file.rdbuf();
  *contents = text.str();
  return true;
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring NameOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Ends the process when the page overruns its time limit inside a script.
class Watchdog {
 public:
  explicit Watchdog(double seconds)
      : m_stop(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        m_limitMs(static_cast<DWORD>(seconds * 1000) + kWatchdogGraceMs) {
    m_thread.Reset(CreateThread(nullptr, 0, &Watchdog::Watch, this, 0, nullptr));
  }
  ~Watchdog() {
    SetEvent(m_stop.Get());
    if (m_thread.IsValid()) WaitForSingleObject(m_thread.Get(), INFINITE);
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  static DWORD WINAPI Watch(void* self) {
    auto* watchdog = static_cast<Watchdog*>(self);
    if (WaitForSingleObject(watchdog->m_stop.Get(), watchdog->m_limitMs) == WAIT_TIMEOUT) {
      fprintf(stderr, "pagehost: time limit passed inside a script\n");
      fflush(stderr);
      ExitProcess(kPageTimedOut);
    }
    return 0;
  }

  ScopedHandle m_stop;
  DWORD m_limitMs;
  ScopedHandle m_thread;
};

// The page's embed elements with their instances.
struct Embed {
  EmbedElement element;
  npbrowser::PluginInstance instance;
  HWND window = nullptr;
};

class Page {
 public:
  Page(const PageOptions& options, PageDocument document)
      : m_options(options), m_document(std::move(document)) {}
  int Run(const EngineSetup& setup);

 private:
  bool StartPlugin();
  void LayOut();
  void CreateInstances();
  void RunScripts();
  bool RunEventLoop();  // false when the time limit passed
  void TearDown();
  bool LedgerClean();

  const PageOptions& m_options;
  PageDocument m_document;
  std::unique_ptr<ScriptEngine> m_engine;
  std::vector<std::unique_ptr<Embed>> m_embeds;
  int m_loadErrors = 0;
};

bool Page::StartPlugin() {
  std::wstring dll = m_options.dll;
  if (dll.empty()) dll = FindRegisteredPlugin(kPluginMimeType);
  if (dll.empty()) {
    fprintf(stderr, "pagehost: no plug-in is registered for %s\n", kPluginMimeType);
    return false;
  }
  npbrowser::Browser& browser = npbrowser::Browser::Get();
  if (!browser.Load(dll)) {
    fprintf(stderr, "pagehost: cannot load the plug-in %s\n", WideToUtf8(dll).c_str());
    return false;
  }
  const NPError error = browser.Start();
  if (error != NPERR_NO_ERROR) {
    fprintf(stderr, "pagehost: the plug-in did not start (NPError %d)\n", error);
    return false;
  }
  return true;
}

// Embed elements side by side in one row, as inline elements flow.
void Page::LayOut() {
  npbrowser::Browser& browser = npbrowser::Browser::Get();
  HWND top = browser.TopWindow();
  const std::string title =
      m_document.title.empty() ? WideToUtf8(NameOf(m_options.page)) : m_document.title;
  SetWindowTextW(top, Utf8ToWide(title + " - pagehost").c_str());
  int width = kMargin, height = 0;
  for (const auto& embed : m_embeds) {
    width += embed->element.width + kMargin;
    height = std::max(height, embed->element.height);
  }
  browser.SetPageSize(std::max(width, 320), std::max(height + 2 * kMargin, 200));
  ShowWindow(top, SW_SHOWNOACTIVATE);
}

void Page::CreateInstances() {
  npbrowser::Browser& browser = npbrowser::Browser::Get();
  int x = kMargin;
  for (auto& embed : m_embeds) {
    const EmbedElement& element = embed->element;
    NPObject* object = nullptr;
    const NPError error = embed->instance.New(kPluginMimeType, element.attributes);
    if (error == NPERR_NO_ERROR) {
      embed->window = browser.NewPluginWindow(x, kMargin, element.width, element.height);
      embed->instance.SetWindow(embed->window, element.width, element.height);
      object = embed->instance.Scriptable();
    } else {
      fprintf(stderr, "pagehost: NPP_New failed for embed \"%s\" (NPError %d)\n",
              element.id.c_str(), error);
    }
    m_engine->AddEmbed(element, object, embed->instance.npp());
    x += element.width + kMargin;
  }
}

void Page::RunScripts() {
  const std::string pageName = WideToUtf8(NameOf(m_options.page));
  for (const ScriptElement& script : m_document.scripts) {
    if (m_engine->Closed()) return;
    if (script.src.empty()) {
      m_engine->Run(script.text, pageName, script.line);
      continue;
    }
    std::wstring src = Utf8ToWide(script.src);
    const bool absolute = src.size() > 1 && (src[1] == L':' || src[0] == L'\\' || src[0] == L'/');
    const std::wstring path = absolute ? src : FolderOf(m_options.page) + src;
    std::string text;
    if (!ReadFile(path, &text)) {
      fprintf(stderr, "%s:%d: cannot read the script %s\n", pageName.c_str(), script.line,
              script.src.c_str());
      ++m_loadErrors;
      continue;
    }
    m_engine->Run(text, script.src, 1);
  }
  if (!m_engine->Closed()) m_engine->RunOnload();
}

bool Page::RunEventLoop() {
  npbrowser::Browser& browser = npbrowser::Browser::Get();
  HWND top = browser.TopWindow();
  const double deadline = m_engine->Now() + m_options.timeoutSeconds * 1000;
  for (;;) {
    browser.PumpMessages();
    if (m_engine->Closed() || !IsWindow(top)) return true;
    m_engine->RunDueTimers();
    if (m_engine->Closed() || !m_engine->HasTimers()) return true;
    const double now = m_engine->Now();
    if (now >= deadline) return false;
    const double until = std::min(m_engine->NextTimerDue(), deadline) - now;
    const DWORD wait = until > 0 ? static_cast<DWORD>(std::ceil(until)) : 0;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
  }
}

// A browser's order: script lets go of the instance's objects, the instance
// is destroyed, and the module is shut down once no instance is left.
void Page::TearDown() {
  for (auto& embed : m_embeds) {
    m_engine->ReleaseObjectsOf(embed->instance.npp());
    if (embed->instance.Created()) embed->instance.Destroy();
    if (embed->window) DestroyWindow(embed->window);
  }
  m_engine.reset();
  npbrowser::Browser::Get().Shutdown();
}

bool Page::LedgerClean() {
  npbrowser::Browser& browser = npbrowser::Browser::Get();
  const bool clean = browser.LiveObjects() == 0 && browser.OutstandingAllocations() == 0 &&
                     browser.BadReleases() == 0 && browser.BadFrees() == 0;
  printf(
      "pagehost: ledger %s: %u live objects, %u outstanding allocations, %u bad releases, "
      "%u bad frees, %u identifiers\n",
      clean ? "clean" : "NOT clean", static_cast<unsigned>(browser.LiveObjects()),
      static_cast<unsigned>(browser.OutstandingAllocations()),
      static_cast<unsigned>(browser.BadReleases()), static_cast<unsigned>(browser.BadFrees()),
      static_cast<unsigned>(browser.IdentifierCount()));
  fflush(stdout);
  return clean;
}

int Page::Run(const EngineSetup& setup) {
  npbrowser::Browser::Get().SetPageAddress(AddressOf(m_options));
  if (!StartPlugin()) return kPageCannotRun;
  for (const EmbedElement& element : m_document.embeds) {
    m_embeds.push_back(std::make_unique<Embed>());
    m_embeds.back()->element = element;
  }
  Watchdog watchdog(m_options.timeoutSeconds);
  m_engine = std::make_unique<ScriptEngine>();
  LayOut();
  CreateInstances();
  if (setup) setup(*m_engine);
  RunScripts();
  const bool inTime = RunEventLoop();
  if (!inTime) fprintf(stderr, "pagehost: time limit of %g s passed\n", m_options.timeoutSeconds);
  npbrowser::Browser::Get().PumpMessages();
  bool pictured = true;
  if (!m_options.screenshot.empty()) {
    UpdateWindow(npbrowser::Browser::Get().TopWindow());
    pictured = SaveWindowPng(npbrowser::Browser::Get().TopWindow(), m_options.screenshot);
    if (!pictured)
      fprintf(stderr, "pagehost: cannot save the picture %s\n",
              WideToUtf8(m_options.screenshot).c_str());
  }
  const int escaped = m_engine->EscapedErrors() + m_loadErrors;
  TearDown();
  const bool clean = LedgerClean();
  if (escaped) return kPageScriptError;
  if (!inTime) return kPageTimedOut;
  if (!clean) return kPageLedgerDirty;
  return pictured ? kPageOk : kPageNoScreenshot;
}

}  // namespace

std::string WideToUtf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
  std::string out(bytes, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], bytes,
                      nullptr, nullptr);
  return out;
}

std::wstring Utf8ToWide(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int count =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(count, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], count);
  return out;
}

int RunPage(const PageOptions& options, const EngineSetup& setup) {
  std::string html;
  if (!ReadFile(options.page, &html)) {
    fprintf(stderr, "pagehost: cannot read the page %s\n", WideToUtf8(options.page).c_str());
    return kPageCannotRun;
  }
  // The plug-in's thread is an OLE thread in a browser.
  ScopedOleInitialize ole;
  Page page(options, ParsePage(html, kPluginMimeType));
  return page.Run(setup);
}

npbrowser::PageAddress AddressOf(const PageOptions& options) {
  npbrowser::PageAddress address;
  address.answers = options.originAnswers;
  if (!options.origin.empty()) {
    address.origin = options.origin;
    address.href = options.origin + "/" + WideToUtf8(NameOf(options.page));
    return address;
  }
  address.origin = "file://";
  std::string path = WideToUtf8(options.page);
  for (char& c : path)
    if (c == '\\') c = '/';
  address.href = "file:///" + path;
  return address;
}

const char* Usage() {
  return "usage: pagehost.exe [--dll PATH] [--timeout SECONDS] [--screenshot FILE.png]\n"
         "                    [--origin ORIGIN] [--origin-from document|location|none] PAGE.html\n";
}

namespace {

bool ParseOriginAnswers(const std::wstring& text, npbrowser::PageAddress::Answers* answers) {
  using Answers = npbrowser::PageAddress::Answers;
  const struct {
    const wchar_t* name;
    Answers answers;
  } kChoices[] = {{L"document", Answers::OriginAndLocation},
                  {L"location", Answers::LocationOnly},
                  {L"none", Answers::None}};
  for (const auto& choice : kChoices) {
    if (text != choice.name) continue;
    *answers = choice.answers;
    return true;
  }
  fprintf(stderr, "pagehost: --origin-from takes document, location or none\n");
  return false;
}

}  // namespace

bool ParseOptions(int argc, wchar_t** argv, PageOptions* options) {
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == L"--dll" && hasValue) {
      options->dll = argv[++i];
    } else if (arg == L"--timeout" && hasValue) {
      wchar_t* end = nullptr;
      options->timeoutSeconds = wcstod(argv[++i], &end);
      if (!end || *end || !(options->timeoutSeconds > 0)) {
        fprintf(stderr, "pagehost: --timeout needs a positive number of seconds\n");
        return false;
      }
    } else if (arg == L"--screenshot" && hasValue) {
      options->screenshot = argv[++i];
    } else if (arg == L"--origin" && hasValue) {
      options->origin = WideToUtf8(argv[++i]);
    } else if (arg == L"--origin-from" && hasValue) {
      if (!ParseOriginAnswers(argv[++i], &options->originAnswers)) return false;
    } else if (arg.compare(0, 2, L"--") == 0 || !options->page.empty()) {
      fprintf(stderr, "pagehost: unexpected argument %s\n%s", WideToUtf8(arg).c_str(), Usage());
      return false;
    } else {
      options->page = arg;
    }
  }
  if (options->page.empty()) {
    fprintf(stderr, "%s", Usage());
    return false;
  }
  return true;
}

}  // namespace pagehost
