// Shared set-up of the plug-in tests: the DLL loaded and started once per
// process through the browser stand-in.
#pragma once

#include <gtest/gtest.h>

#include "browser.h"
#include "test_paths.h"

inline npbrowser::Browser& StartedBrowser() {
  npbrowser::Browser& browser = npbrowser::Browser::Get();
  static bool started = false;
  if (!started) {
    EXPECT_TRUE(browser.Load(testsupport::BinaryPath(L"npZumiPictavoEx.dll")));
    EXPECT_EQ(NPERR_NO_ERROR, browser.Start());
    started = true;
  }
  return browser;
}

// Drops the browser's reference and any value left in a result.
struct ScriptRef {
  explicit ScriptRef(NPObject* o) : object(o) {}
  ~ScriptRef() {
    if (object) npbrowser::Browser::Get().Release(object);
  }
  ScriptRef(const ScriptRef&) = delete;
  ScriptRef& operator=(const ScriptRef&) = delete;
  NPObject* object;
};
