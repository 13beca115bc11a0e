// Shows the fixture control hosted in a stand-in browser window and saves a
// picture of that window as a PNG: ax_host_screenshot.exe <file.png>.
// Exits 0 only when the picture shows the control's own painting.
#include <windows.h>
#include <ole2.h>
#include <propidl.h>
#include <gdiplus.h>

#include <cstdio>

#include <string>

#include "ZumiPictavoEx.h"
#include "control/ax_host.h"
#include "fixture_control.h"

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

bool PngEncoder(CLSID* clsid) {
  UINT count = 0, size = 0;
  Gdiplus::GetImageEncodersSize(&count, &size);
  if (size == 0) return false;
  std::string buffer(size, '\0');
  auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(&buffer[0]);
  Gdiplus::GetImageEncoders(count, size, encoders);
  for (UINT i = 0; i < count; ++i) {
    if (wcscmp(encoders[i].MimeType, L"image/png") == 0) {
      *clsid = encoders[i].Clsid;
      return true;
    }
  }
  return false;
}

// Draws `window` and, over it, every descendant at its place into `dc`,
// whose origin is the top left corner of `root`.
void PrintTree(HWND root, HWND window, HDC dc) {
  RECT rect{};
  GetWindowRect(window, &rect);
  RECT rootRect{};
  GetWindowRect(root, &rootRect);
  POINT oldOrigin;
  SetViewportOrgEx(dc, rect.left - rootRect.left, rect.top - rootRect.top, &oldOrigin);
  SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(dc),
               PRF_NONCLIENT | PRF_ERASEBKGND | PRF_CLIENT);
  SetViewportOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
  // Children from the bottom of the z-order up.
  for (HWND child = GetWindow(GetWindow(window, GW_CHILD), GW_HWNDLAST); child;
       child = GetWindow(child, GW_HWNDPREV)) {
    if (IsWindowVisible(child)) PrintTree(root, child, dc);
  }
}

// Renders the window with its children into a bitmap, checks the pixel at
// screen point `probe` and saves the bitmap.
int Capture(HWND window, const wchar_t* path, POINT probe) {
  RECT rect{};
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  PrintTree(window, window, memory);
  const COLORREF pixel = GetPixel(memory, probe.x - rect.left, probe.y - rect.top);
  SelectObject(memory, old);
  int status = 3;
  {
    Gdiplus::Bitmap image(bitmap, nullptr);
    CLSID png;
    if (PngEncoder(&png) && image.Save(path, &png, nullptr) == Gdiplus::Ok) status = 0;
  }
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (status != 0) {
    fwprintf(stderr, L"could not save %ls\n", path);
    return status;
  }
  if (pixel != kControlColour) {
    fwprintf(stderr, L"control colour not found: pixel %06lx\n", static_cast<unsigned long>(pixel));
    return 4;
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    fwprintf(stderr, L"usage: ax_host_screenshot <file.png>\n");
    return 2;
  }
  FixtureControl fixture;
  if (!fixture.Ready()) {
    fwprintf(stderr, L"fixture not ready: %08lx\n", static_cast<unsigned long>(fixture.RegisterResult()));
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
    RECT controlRect{};
    GetWindowRect(fixture.ControlWindow(), &controlRect);
    POINT probe{controlRect.left + 10, controlRect.top + 10};
    status = Capture(browser, argv[1], probe);
  }
  DestroyWindow(browser);
  Gdiplus::GdiplusShutdown(token);
  return status;
}
