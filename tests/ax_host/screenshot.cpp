// Shows the fixture control hosted in a stand-in browser window and saves a
// picture of that window as a PNG: ax_host_screenshot.exe <file.png>.
// Exits 0 only when the picture shows the control's own painting over the
// plug-in window's area and nowhere beside it.
#include <windows.h>
#include <ole2.h>
#include <propidl.h>
#include <gdiplus.h>

#include <cstdio>

#include <string>

#include "ZumiPictavoEx.h"
#include "control/ax_host.h"
#include "fixture_control.h"
#include "window_picture.h"

namespace {

const COLORREF kControlColour = RGB(0x2a, 0x6f, 0xb0);

void Pump(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(20);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    fwprintf(stderr, L"usage: ax_host_screenshot <file.png>\n");
    return 2;
  }
  FixtureControl fixture;
  if (!fixture.Ready()) {
    fwprintf(stderr, L"fixture not ready: %08lx\n",
             static_cast<unsigned long>(fixture.RegisterResult()));
    return 1;
  }
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  HINSTANCE module = GetModuleHandleW(nullptr);
  axhost::RegisterHostClasses(module);
  HWND browser = CreateWindowExW(0, L"STATIC", L"Stand-in browser",
                                 WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 40, 40, 480,
                                 320, nullptr, nullptr, module, nullptr);
  HWND plugin = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 20,
                                20, 400, 220, browser, nullptr, module, nullptr);
  RECT client{};
  GetClientRect(plugin, &client);
  HWND host = axhost::CreateHostWindow(plugin, client, WS_CHILD | WS_VISIBLE, 0, nullptr, module);
  int status = 5;
  if (host && SUCCEEDED(axhost::CreateControl(host, CLSID_PictavoEx))) {
    SetWindowLongW(host, GWL_STYLE,
                   GetWindowLongW(host, GWL_STYLE) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    SetWindowTextW(host, L"FireFox-m_ZumiPictavoExContainer");
    UpdateWindow(browser);
    Pump(800);
    status = testsupport::CheckHostedControlPicture(browser, plugin, fixture.ControlWindow(),
                                                    argv[1], kControlColour);
  }
  DestroyWindow(browser);
  Gdiplus::GdiplusShutdown(token);
  return status;
}
