// Sends each record to the log viewer window as WM_COPYDATA.
#pragma once

#include <windows.h>

#include "log/log_device.h"

class log_device_logview : public base_log_device {
 public:
  log_device_logview() = default;

  // Looks for the viewer window; returns it, or null when none runs.
  HWND attach();
  HWND window() const { return m_hWnd; }

  bool write(const char* text, int length) override;

 private:
  HWND m_hWnd = nullptr;
};
