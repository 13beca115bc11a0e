#include "entry/instance_reaper.h"

#include <windows.h>

#include <set>

#include "entry/module.h"
#include "entry/plugin.h"

namespace {

const wchar_t kReaperClass[] = L"npZumiPictavoExReaper";
constexpr UINT kReapMessage = WM_APP + 1;

HWND g_hReaper = nullptr;
std::set<CPlugin*> g_pending;

LRESULT CALLBACK ReaperProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kReapMessage) {
    reaper::ReapNow(false);
    return 0;
  }
  return DefWindowProcW(hWnd, msg, wParam, lParam);
}

HWND ReaperWindow() {
  if (IsWindow(g_hReaper)) return g_hReaper;
  WNDCLASSW wc = {};
  wc.lpfnWndProc = ReaperProc;
  wc.hInstance = PluginModule();
  wc.lpszClassName = kReaperClass;
  RegisterClassW(&wc);  // fails harmlessly when already registered
  g_hReaper = CreateWindowExW(0, kReaperClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              PluginModule(), nullptr);
  return g_hReaper;
}

}  // namespace

namespace reaper {

bool Later(CPlugin* plugin) {
  HWND window = ReaperWindow();
  if (!window || !PostMessageW(window, kReapMessage, 0, 0)) return false;
  g_pending.insert(plugin);
  return true;
}

void ReapNow(bool all) {
  // Each tear-down may release script objects and so run further code:
  // take one instance at a time off the queue.
  for (bool progress = true; progress;) {
    progress = false;
    for (CPlugin* plugin : g_pending) {
      if (!all && plugin->IsBusy()) continue;
      g_pending.erase(plugin);
      plugin->TearDown();
      progress = true;
      break;
    }
  }
}

void Close() {
  if (IsWindow(g_hReaper)) DestroyWindow(g_hReaper);
  g_hReaper = nullptr;
  UnregisterClassW(kReaperClass, PluginModule());
}

}  // namespace reaper
