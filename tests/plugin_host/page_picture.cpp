// A picture of a stand-in browser page whose plug-in hosts the stand-in
// control, created by page script through "CreateAX":
//   plugin_host_picture.exe <file.png>
// Exits 0 only when the picture holds the control's own painting over the
// plug-in window's area and nowhere beside it.
#include <windows.h>
#include <ole2.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>

#include "browser.h"
#include "fixture_control.h"
#include "test_paths.h"
#include "window_picture.h"

namespace npb = npbrowser;

namespace {

const COLORREF kControlColour = RGB(0x2a, 0x6f, 0xb0);

void Pump(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    npb::Browser::Get().PumpMessages();
    Sleep(20);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    fwprintf(stderr, L"usage: plugin_host_picture <file.png>\n");
    return 2;
  }
  FixtureControl fixture;
  npb::Browser& browser = npb::Browser::Get();
  if (!fixture.Ready() || !browser.Load(testsupport::BinaryPath(L"npZumiPictavoEx.dll")) ||
      browser.Start() != NPERR_NO_ERROR) {
    fwprintf(stderr, L"set-up failed\n");
    return 1;
  }
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  int status = 3;
  {
    npb::PluginInstance instance;
    instance.New();
    HWND top = browser.TopWindow();
    SetWindowPos(top, nullptr, 40, 40, 480, 320, SWP_NOZORDER | SWP_SHOWWINDOW);
    HWND window = browser.NewPluginWindow(400, 220);
    instance.SetWindow(window, 400, 220);
    NPObject* page = instance.Scriptable();
    NPVariant result;
    const std::string controlFile = "ZumiPictavoEx.dll";
    if (page && browser.Call(page, "CreateAX", {npb::String(controlFile)}, &result)) {
      UpdateWindow(top);
      Pump(800);
      status = testsupport::CheckHostedControlPicture(top, window, fixture.ControlWindow(), argv[1],
                                                      kControlColour);
    }
    if (page) browser.Release(page);
    instance.Destroy();
    DestroyWindow(window);
  }
  Gdiplus::GdiplusShutdown(token);
  return status;
}
