// Closes a top-level window as a person clicking its close button would, for
// scripts that end a page they opened (scripts/lifecycle.sh):
//
//   close_window.exe TITLE [SECONDS]
//
// Waits up to SECONDS (default 30) for a window titled TITLE on this desktop,
// sends it WM_CLOSE and waits as long again for it to go. Exit status: 0 the
// window is gone, 1 no such window appeared, 2 it is still there.
#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <string>

namespace {

constexpr DWORD kPollMs = 100;

HWND WaitForWindow(const std::wstring& title, DWORD timeoutMs) {
  for (DWORD waited = 0;; waited += kPollMs) {
    if (HWND window = FindWindowW(nullptr, title.c_str())) return window;
    if (waited >= timeoutMs) return nullptr;
    Sleep(kPollMs);
  }
}

bool WaitUntilGone(HWND window, DWORD timeoutMs) {
  for (DWORD waited = 0; IsWindow(window); waited += kPollMs) {
    if (waited >= timeoutMs) return false;
    Sleep(kPollMs);
  }
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2 || argc > 3 || (argc == 3 && !iswdigit(argv[2][0]))) {
    fwprintf(stderr, L"usage: close_window.exe TITLE [SECONDS]\n");
    return 3;
  }
  const DWORD timeoutMs = (argc == 3 ? wcstoul(argv[2], nullptr, 10) : 30) * 1000;
  HWND window = WaitForWindow(argv[1], timeoutMs);
  if (!window) return 1;
  // Posted, not sent: the window's owner closes it when it next pumps.
  PostMessageW(window, WM_CLOSE, 0, 0);
  return WaitUntilGone(window, timeoutMs) ? 0 : 2;
}
