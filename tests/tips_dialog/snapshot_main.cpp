// Shows the notification dialog with a two-line Chinese message and saves,
// once it is on screen, both the picture it composed and what the screen
// shows where the window is:
//   tips_dialog_snapshot.exe MODE OUTPUT_PREFIX
// writes OUTPUT_PREFIX_composed.png, OUTPUT_PREFIX_screen.png and
// OUTPUT_PREFIX_layout.txt (each control's rectangle in client coordinates
// and whether it is visible, read from the live window). Run with
// Wine's X11 driver on a (virtual) X display for a real screenshot.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "app/dib_canvas.h"
#include "owners/scoped_gdi.h"
#include "app/tips_dlg.h"
#include "updater_resource.h"

namespace {

const wchar_t kMessage[] = L"极速上传控件有新版本，已下载完成。\n现在安装新版本吗？";
// The X server shows the window a little after it is painted, later still on
// a busy machine: the screen is read again until it shows the picture.
const UINT kRetryMs = 250;
const int kMaxAttempts = 60;

bool PngEncoder(CLSID* pClsid) {
  UINT count = 0, size = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
  std::vector<BYTE> buffer(size);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (std::wcscmp(codecs[i].MimeType, L"image/png") == 0) {
      *pClsid = codecs[i].Clsid;
      return true;
    }
  }
  return false;
}

// Saves a bottom-up 32-bit canvas as PNG.
bool SaveCanvas(const CDibCanvas& canvas, Gdiplus::PixelFormat format, const std::wstring& path) {
  CLSID png;
  if (!PngEncoder(&png)) return false;
  GdiFlush();
  std::vector<uint32_t> rows(static_cast<size_t>(canvas.Width()) * canvas.Height());
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x)
      rows[static_cast<size_t>(y) * canvas.Width() + x] = canvas.Pixel(x, y);
  }
  Gdiplus::Bitmap bitmap(canvas.Width(), canvas.Height(), canvas.Width() * 4, format,
                         reinterpret_cast<BYTE*>(rows.data()));
  return bitmap.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
}

struct Snapshot {
  CTipsDlg* pDialog;
  std::wstring prefix;
  int nAttempts = 0;
  bool bSaved = false;
};
Snapshot* g_pSnapshot = nullptr;

// Whether the screen shows every opaque pixel of the picture unchanged.
bool ScreenShowsPicture(const CDibCanvas& composed, const CDibCanvas& screen) {
  for (int y = 0; y < composed.Height(); ++y) {
    for (int x = 0; x < composed.Width(); ++x) {
      uint32_t picture = composed.Pixel(x, y);
      if ((picture >> 24) != 0xFF) continue;
      if (((picture ^ screen.Pixel(x, y)) & 0xFFFFFF) != 0) return false;
    }
  }
  return true;
}

// One line per control: "ID LEFT TOP WIDTH HEIGHT VISIBLE".
bool SaveLayout(HWND hDialog, const std::wstring& path) {
  FILE* file = _wfopen(path.c_str(), L"w");
  if (!file) return false;
  for (int nID : {IDOK, IDCANCEL, IDC_CLOSE_BTN, IDC_NOREMIND_CHK}) {
    HWND hControl = GetDlgItem(hDialog, nID);
    RECT rc{};
    GetWindowRect(hControl, &rc);
    MapWindowPoints(nullptr, hDialog, reinterpret_cast<POINT*>(&rc), 2);
    std::fprintf(file, "%d %ld %ld %ld %ld %d\n", nID, rc.left, rc.top, rc.right - rc.left,
                 rc.bottom - rc.top, hControl && IsWindowVisible(hControl) ? 1 : 0);
  }
  return std::fclose(file) == 0;
}

// True once the snapshot is saved (or the attempts are used up).
bool TakeSnapshot(Snapshot& snapshot) {
  HWND hwnd = snapshot.pDialog->m_hWnd;
  RECT rcWindow{};
  GetWindowRect(hwnd, &rcWindow);
  const int w = rcWindow.right - rcWindow.left;
  const int h = rcWindow.bottom - rcWindow.top;

  CDibCanvas composed(nullptr, w, h);
  snapshot.pDialog->ComposePicture(composed.GetDC(), w, h);
  gdi::WindowDC screenDC(nullptr);
  CDibCanvas screen(screenDC.Get(), w, h);
  BitBlt(screen.GetDC(), 0, 0, w, h, screenDC.Get(), rcWindow.left, rcWindow.top, SRCCOPY);
  bool bShown = ScreenShowsPicture(composed, screen);
  if (!bShown && ++snapshot.nAttempts < kMaxAttempts) return false;

  bool bComposed = SaveCanvas(composed, PixelFormat32bppPARGB, snapshot.prefix + L"_composed.png");
  bool bScreen = SaveCanvas(screen, PixelFormat32bppRGB, snapshot.prefix + L"_screen.png");
  bool bLayout = SaveLayout(hwnd, snapshot.prefix + L"_layout.txt");
  snapshot.bSaved = bComposed && bScreen && bLayout;
  std::printf("window at %ld,%ld size %dx%d, %s on screen; composed %s, screen %s\n", rcWindow.left,
              rcWindow.top, w, h, bShown ? "shown" : "NOT shown", bComposed ? "saved" : "FAILED",
              bScreen ? "saved" : "FAILED");
  return true;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR idEvent, DWORD) {
  if (!g_pSnapshot || !g_pSnapshot->pDialog->m_hWnd) return;
  if (!TakeSnapshot(*g_pSnapshot)) return;
  KillTimer(nullptr, idEvent);
  g_pSnapshot->pDialog->EndDialog(IDCANCEL);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tips_dialog_snapshot MODE OUTPUT_PREFIX\n");
    return 2;
  }
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return 3;
  int result = 1;
  {
    CTipsDlg dialog(_wtoi(argv[1]));
    dialog.SetText(kMessage);
    Snapshot snapshot{&dialog, argv[2]};
    g_pSnapshot = &snapshot;
    UINT_PTR timer = SetTimer(nullptr, 0, kRetryMs, OnTimer);
    dialog.DoModal();
    KillTimer(nullptr, timer);
    g_pSnapshot = nullptr;
    result = snapshot.bSaved ? 0 : 1;
  }
  Gdiplus::GdiplusShutdown(token);
  return result;
}
