#include "hosted_page.h"

#include <stdio.h>

#include <string>

#include "test_paths.h"

namespace npb = npbrowser;

double Seconds() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool HostedPage::Open() {
  npb::Browser& browser = Browser();
  if (!browser.Load(testsupport::BinaryPath(L"npZumiPictavoEx.dll")) ||
      browser.Start() != NPERR_NO_ERROR) {
    fprintf(stderr, "plug-in not loaded\n");
    return false;
  }
  m_started = true;
  m_instance.New();
  m_window = browser.NewPluginWindow(320, 240);
  m_instance.SetWindow(m_window, 320, 240);
  m_object = m_instance.Scriptable();
  NPVariant scratch;
  const std::string controlFile = "ZumiPictavoEx.dll";
  if (!m_object || !browser.Call(m_object, "CreateAX", {npb::String(controlFile)}, &scratch)) {
    fprintf(stderr, "control not hosted\n");
    return false;
  }
  return true;
}

HostedPage::~HostedPage() {
  if (!m_started) return;
  if (m_object) Browser().Release(m_object);
  m_instance.Destroy();
  if (m_window) DestroyWindow(m_window);
  Browser().PumpMessages();
}
