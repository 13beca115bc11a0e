#include "window_png.h"

#include <ole2.h>
#include <propidl.h>
#include <gdiplus.h>

#include <cwchar>
#include <vector>

#include "owners/scoped_win.h"

namespace pagehost {
namespace {

class GdiplusSession {
 public:
  GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    m_started = Gdiplus::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
  }
  ~GdiplusSession() {
    if (m_started) Gdiplus::GdiplusShutdown(m_token);
  }
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;
  bool Started() const { return m_started; }

 private:
  ULONG_PTR m_token = 0;
  bool m_started = false;
};

class MemoryDc {
 public:
  MemoryDc() : m_dc(CreateCompatibleDC(nullptr)) {}
  ~MemoryDc() {
    if (m_dc) DeleteDC(m_dc);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC Get() const { return m_dc; }

 private:
  HDC m_dc;
};

bool FindPngEncoder(CLSID* clsid) {
  UINT count = 0, bytes = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return false;
  std::vector<BYTE> storage(bytes);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(storage.data());
  if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (std::wcscmp(codecs[i].MimeType, L"image/png") != 0) continue;
    *clsid = codecs[i].Clsid;
    return true;
  }
  return false;
}

// Draws `window` at its place relative to `origin`, then its visible
// children over it, the lowest in the z-order first. Each window is clipped
// to its place: a background erase fills the whole clip box.
void DrawWindowTree(HWND window, const POINT& origin, HDC dc) {
  RECT place{};
  GetWindowRect(window, &place);
  OffsetRect(&place, -origin.x, -origin.y);
  ScopedGdiObject<HRGN> clip(CreateRectRgnIndirect(&place));
  SelectClipRgn(dc, clip.Get());
  POINT previous{};
  SetViewportOrgEx(dc, place.left, place.top, &previous);
  SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(dc),
               PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
  SetViewportOrgEx(dc, previous.x, previous.y, nullptr);
  SelectClipRgn(dc, nullptr);
  HWND child = GetWindow(window, GW_CHILD);
  for (child = child ? GetWindow(child, GW_HWNDLAST) : nullptr; child;
       child = GetWindow(child, GW_HWNDPREV)) {
    if (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) DrawWindowTree(child, origin, dc);
  }
}

}  // namespace

bool SaveWindowPng(HWND window, const std::wstring& path) {
  GdiplusSession gdiplus;
  RECT rect{};
  if (!gdiplus.Started() || !IsWindow(window) || !GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  ScopedGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen, width, height));
  ReleaseDC(nullptr, screen);
  MemoryDc memory;
  if (!bitmap.IsValid() || !memory.Get()) return false;
  HGDIOBJ previous = SelectObject(memory.Get(), bitmap.Get());
  DrawWindowTree(window, POINT{rect.left, rect.top}, memory.Get());
  SelectObject(memory.Get(), previous);
  Gdiplus::Bitmap image(bitmap.Get(), nullptr);
  CLSID png;
  return FindPngEncoder(&png) && image.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
}

}  // namespace pagehost
