// Process-wide helpers of the update service's windows.
#pragma once

#include <windows.h>

class CGlobal {
 public:
  // The one object, made on first use and destroyed at program exit.
  static CGlobal& Instance();

  // Hands the picture in hMemDC (a 32-bit bitmap of the window's size with
  // per-pixel alpha) to the system as the look of hwnd, making the window
  // layered. Returns UpdateLayeredWindow's result, or 0 when the system has
  // no such function.
  BOOL UpdateLayered(HWND hwnd, HDC hMemDC);

  CGlobal(const CGlobal&) = delete;
  CGlobal& operator=(const CGlobal&) = delete;

 private:
  using UpdateLayeredWindowFn = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF,
                                              BLENDFUNCTION*, DWORD);
  CGlobal();
  ~CGlobal();
  UpdateLayeredWindowFn GetUpdateLayeredWindow();

  HMODULE m_hUser32;
  UpdateLayeredWindowFn m_pfnUpdateLayeredWindow = nullptr;
  bool m_bLookedUp = false;
};
