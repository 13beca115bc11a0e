#include "log/log_device_logview.h"

namespace {

constexpr char kViewerClass[] = "LogView_zumipcmgr";
constexpr UINT kSendTimeoutMs = 15000;

}  // namespace

HWND log_device_logview::attach() {
  m_hWnd = FindWindowA(kViewerClass, nullptr);
  return m_hWnd;
}

bool log_device_logview::write(const char* text, int length) {
  if (m_hWnd == nullptr || text == nullptr || length < 0) return false;
  COPYDATASTRUCT data = {};
  data.dwData = 0;
  data.cbData = static_cast<DWORD>(length);
  data.lpData = const_cast<char*>(text);
  DWORD_PTR answer = 0;
  // A stale or hung viewer only costs the time-out; the outcome is not used.
  SendMessageTimeoutW(m_hWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_BLOCK,
                      kSendTimeoutMs, &answer);
  return true;
}
