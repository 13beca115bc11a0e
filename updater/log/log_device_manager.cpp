#include "log/log_device_manager.h"

#include <atomic>

#include "owners/scoped_win.h"

namespace {

std::atomic<bool> g_viewerPresent{false};

}  // namespace

log_device_manager& log_device_manager::instance() {
  // Constructed once, thread-safely; destroyed at process exit.
  static log_device_manager manager;
  return manager;
}

bool log_device_manager::viewer_present() {
  return g_viewerPresent.load(std::memory_order_acquire);
}

log_device_manager::log_device_manager() {
  InitializeCriticalSection(&m_lock);
  HWND viewer = m_device.attach();
  if (viewer != nullptr) {
    if (IsIconic(viewer)) ShowWindow(viewer, SW_RESTORE);
    g_viewerPresent.store(true, std::memory_order_release);
  }
}

log_device_manager::~log_device_manager() {
  g_viewerPresent.store(false, std::memory_order_release);
  DeleteCriticalSection(&m_lock);
}

bool log_device_manager::write(const char* text, int length) {
  ScopedCriticalSectionLock hold(m_lock);
  return m_device.write(text, length);
}
