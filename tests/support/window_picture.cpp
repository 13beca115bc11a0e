#include "window_picture.h"

#include <ole2.h>
#include <propidl.h>
#include <gdiplus.h>

#include <cwchar>
#include <string>

namespace testsupport {
namespace {

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

// Draws `window` and, over it, every visible descendant at its place into
// `dc`, whose origin is the top left corner of `root`; the bottom of the
// z-order first.
void PrintTree(HWND root, HWND window, HDC dc) {
  RECT rect{}, rootRect{};
  GetWindowRect(window, &rect);
  GetWindowRect(root, &rootRect);
  POINT oldOrigin;
  SetViewportOrgEx(dc, rect.left - rootRect.left, rect.top - rootRect.top, &oldOrigin);
  SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(dc),
               PRF_NONCLIENT | PRF_ERASEBKGND | PRF_CLIENT);
  SetViewportOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
  for (HWND child = GetWindow(GetWindow(window, GW_CHILD), GW_HWNDLAST); child;
       child = GetWindow(child, GW_HWNDPREV)) {
    if (IsWindowVisible(child)) PrintTree(root, child, dc);
  }
}

class ScreenDc {
 public:
  ScreenDc() : m_dc(GetDC(nullptr)) {}
  ~ScreenDc() { ReleaseDC(nullptr, m_dc); }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC Get() const { return m_dc; }

 private:
  HDC m_dc;
};

}  // namespace

bool SaveWindowPicture(HWND window, const wchar_t* path, POINT probe, COLORREF* colour) {
  RECT rect{};
  GetWindowRect(window, &rect);
  ScreenDc screen;
  HDC memory = CreateCompatibleDC(screen.Get());
  HBITMAP bitmap = CreateCompatibleBitmap(screen.Get(), rect.right - rect.left, rect.bottom - rect.top);
  HGDIOBJ old = SelectObject(memory, bitmap);
  PrintTree(window, window, memory);
  *colour = GetPixel(memory, probe.x - rect.left, probe.y - rect.top);
  SelectObject(memory, old);
  bool saved = false;
  {
    Gdiplus::Bitmap image(bitmap, nullptr);
    CLSID png;
    saved = PngEncoder(&png) && image.Save(path, &png, nullptr) == Gdiplus::Ok;
  }
  DeleteObject(bitmap);
  DeleteDC(memory);
  return saved;
}

}  // namespace testsupport
