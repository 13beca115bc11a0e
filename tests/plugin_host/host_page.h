// One embedded plug-in in a stand-in browser page, with the stand-in upload
// control registered in the prefix.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "browser.h"
#include "fixture_control.h"
#include "test_paths.h"

namespace hosttest {

// The fixture control DLL, loaded and registered once per process.
FixtureControl& Fixture();
npbrowser::Browser& StartedBrowser();

std::vector<std::wstring> Lines(const std::wstring& text);
// Journal lines that record a call of an IPictavoEx position ("<n> Name(...)").
std::vector<std::wstring> CallLines(const std::wstring& journal);
int CountLines(const std::vector<std::wstring>& lines, const std::wstring& line);
bool MutexExists();
NPVariant Text(const std::string& text);  // text must outlive the variant

// An embed element: the instance, its window and page script's object.
class Page {
 public:
  Page();
  ~Page();
  Page(const Page&) = delete;
  Page& operator=(const Page&) = delete;

  // Gives the instance a new browser window of this size.
  NPError Attach(int width, int height);
  // The browser resizes the window and reports the new size.
  NPError Resize(int width, int height);
  // NPP_SetWindow with any record, the window left as it is.
  NPError Report(HWND window, int width, int height, NPWindowType type);
  NPError Destroy();

  bool Call(const char* method, const std::vector<NPVariant>& args, NPVariant* result = nullptr);
  bool CreateAX() { return Call("CreateAX", {Text(kControlFile)}); }
  HWND Window() const { return m_window; }
  // The host window under the plug-in window, or null.
  HWND Host() const;

  static const std::string kControlFile;

 private:
  npbrowser::PluginInstance m_instance;
  NPObject* m_object = nullptr;
  HWND m_window = nullptr;
  bool m_destroyed = false;
};

}  // namespace hosttest
