// The process-wide log device: serialises records onto the viewer device.
#pragma once

#include <windows.h>

#include "log/log_device.h"
#include "log/log_device_logview.h"

class log_device_manager : public base_log_device {
 public:
  // The one manager of the process, set up on first use: finds the viewer
  // window (restoring it if minimised) and lives until process exit.
  static log_device_manager& instance();

  // True when a viewer window was found at set-up.
  static bool viewer_present();

  bool write(const char* text, int length) override;

  log_device_manager(const log_device_manager&) = delete;
  log_device_manager& operator=(const log_device_manager&) = delete;

 private:
  log_device_manager();
  ~log_device_manager();

  log_device_logview m_device;
  CRITICAL_SECTION m_lock;
};
