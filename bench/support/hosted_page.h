// A stand-in browser page for the benchmarks: the plug-in loaded by the
// browser stand-in, one embed element with its window, and the stand-in
// control created in it by page script's "CreateAX".
#pragma once

#include <windows.h>

#include "browser.h"

// The performance counter, in seconds.
double Seconds();

class HostedPage {
 public:
  HostedPage() = default;
  ~HostedPage();
  HostedPage(const HostedPage&) = delete;
  HostedPage& operator=(const HostedPage&) = delete;

  // Loads and starts the plug-in and hosts the control; says on stderr what
  // failed.
  bool Open();

  npbrowser::Browser& Browser() const { return npbrowser::Browser::Get(); }
  // Page script's object for the embed element.
  NPObject* Object() const { return m_object; }
  HWND Window() const { return m_window; }

 private:
  npbrowser::PluginInstance m_instance;
  NPObject* m_object = nullptr;
  HWND m_window = nullptr;
  bool m_started = false;
};
