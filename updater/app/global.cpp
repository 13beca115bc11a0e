#include "app/global.h"

#include "owners/scoped_gdi.h"

CGlobal& CGlobal::Instance() {
  static CGlobal global;
  return global;
}

CGlobal::CGlobal() : m_hUser32(LoadLibraryW(L"User32.DLL")) {}

CGlobal::~CGlobal() {
  if (m_hUser32) FreeLibrary(m_hUser32);
}

CGlobal::UpdateLayeredWindowFn CGlobal::GetUpdateLayeredWindow() {
  if (!m_bLookedUp && m_hUser32) {
    m_pfnUpdateLayeredWindow =
        reinterpret_cast<UpdateLayeredWindowFn>(GetProcAddress(m_hUser32, "UpdateLayeredWindow"));
    m_bLookedUp = true;
  }
  return m_pfnUpdateLayeredWindow;
}

BOOL CGlobal::UpdateLayered(HWND hwnd, HDC hMemDC) {
  UpdateLayeredWindowFn pfnUpdate = GetUpdateLayeredWindow();
  if (!pfnUpdate) return 0;
  SetWindowLongW(hwnd, GWL_EXSTYLE, GetWindowLongW(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
  RECT rcWindow{};
  GetWindowRect(hwnd, &rcWindow);
  POINT ptDest{rcWindow.left, rcWindow.top};
  SIZE size{rcWindow.right - rcWindow.left, rcWindow.bottom - rcWindow.top};
  POINT ptSource{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  gdi::WindowDC windowDC(hwnd);
  return pfnUpdate(hwnd, windowDC.Get(), &ptDest, &size, hMemDC, &ptSource, RGB(0xFF, 0x00, 0xFF),
                   &blend, ULW_ALPHA);
}
