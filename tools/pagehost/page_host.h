// One page in the page host: loads the plug-in as a browser does, gives each
// embed element an instance and a child window of the page window, runs the
// page's scripts, pumps window messages while timers are pending and checks
// the browser's ledger once the plug-in is shut down.
#pragma once

#include <functional>
#include <string>

#include "browser.h"
#include "script_engine.h"

namespace pagehost {

extern const char kPluginMimeType[];

struct PageOptions {
  std::wstring page;
  std::wstring dll;  // empty: the plug-in registered for the MIME type
  double timeoutSeconds = 30;
  std::wstring screenshot;  // empty: none
  // The site the page is served from ("https://photos.example.com"); empty:
  // a local page, whose origin is "file://".
  std::string origin;
  // What the browser tells the plug-in of the page's address.
  npbrowser::PageAddress::Answers originAnswers =
      npbrowser::PageAddress::Answers::OriginAndLocation;
};

// Exit statuses of a page run; the first that applies is reported.
enum PageStatus {
  kPageOk = 0,
  kPageScriptError = 1,   // a script error escaped
  kPageCannotRun = 2,     // bad options, no page, no plug-in
  kPageTimedOut = 3,      // the time limit passed
  kPageLedgerDirty = 4,   // objects or memory left over
  kPageNoScreenshot = 5,  // the picture could not be saved
};

// Called once the embed elements are in the engine, before the first
// script: programs that embed the page host add their own globals here.
using EngineSetup = std::function<void(ScriptEngine&)>;

int RunPage(const PageOptions& options, const EngineSetup& setup = EngineSetup());

// Text between UTF-8 and UTF-16.
std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);

// The page's address as the browser tells it: origin and location.href.
npbrowser::PageAddress AddressOf(const PageOptions& options);

// Parses the command line; false (with a message on stderr) when it is wrong.
bool ParseOptions(int argc, wchar_t** argv, PageOptions* options);
const char* Usage();

}  // namespace pagehost
