#include "window_picture.h"

#include <ole2.h>
#include <propidl.h>
#include <gdiplus.h>

#include <cwchar>
#include <string>
#include <vector>

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

// Draws the picture, saves it and reads the colour at each screen point.
bool SavePicture(HWND window, const wchar_t* path, const std::vector<POINT>& probes,
                 std::vector<COLORREF>* colours) {
  RECT rect{};
  GetWindowRect(window, &rect);
  ScreenDc screen;
  HDC memory = CreateCompatibleDC(screen.Get());
  HBITMAP bitmap =
      CreateCompatibleBitmap(screen.Get(), rect.right - rect.left, rect.bottom - rect.top);
  HGDIOBJ old = SelectObject(memory, bitmap);
  PrintTree(window, window, memory);
  for (const POINT& probe : probes)
    colours->push_back(GetPixel(memory, probe.x - rect.left, probe.y - rect.top));
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

}  // namespace

int CheckHostedControlPicture(HWND top, HWND plugin, HWND control, const wchar_t* path,
                              COLORREF controlColour) {
  RECT area{};
  GetClientRect(plugin, &area);
  MapWindowPoints(plugin, nullptr, reinterpret_cast<POINT*>(&area), 2);
  RECT shown{};
  GetWindowRect(control, &shown);
  int problems = 0;
  if (!EqualRect(&area, &shown)) {
    fwprintf(stderr, L"control at (%ld,%ld)-(%ld,%ld), plug-in area (%ld,%ld)-(%ld,%ld)\n",
             shown.left, shown.top, shown.right, shown.bottom, area.left, area.top, area.right,
             area.bottom);
    ++problems;
  }
  const LONG in = 3, out = 4;
  struct Probe {
    POINT point;
    bool control;
  };
  const Probe probes[] = {
      {{area.left + in, area.top + in}, true},    {{area.right - in, area.top + in}, true},
      {{area.left + in, area.bottom - in}, true}, {{area.right - in, area.bottom - in}, true},
      {{area.left - out, area.top + in}, false},  {{area.right + out, area.bottom - in}, false},
      {{area.left + in, area.top - out}, false},  {{area.right - in, area.bottom + out}, false},
  };
  std::vector<POINT> points;
  for (const Probe& probe : probes) points.push_back(probe.point);
  std::vector<COLORREF> colours;
  if (!SavePicture(top, path, points, &colours)) {
    fwprintf(stderr, L"could not save %ls\n", path);
    return 3;
  }
  for (size_t i = 0; i < points.size(); ++i) {
    if ((colours[i] == controlColour) == probes[i].control) continue;
    fwprintf(stderr, L"(%ld,%ld): %06lx, the control's colour should %lsshow there\n", points[i].x,
             points[i].y, static_cast<unsigned long>(colours[i]),
             probes[i].control ? L"" : L"not ");
    ++problems;
  }
  return problems == 0 ? 0 : 4;
}

}  // namespace testsupport
