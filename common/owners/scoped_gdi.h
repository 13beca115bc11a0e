// Owners of device contexts and paint state.
#pragma once

#include <windows.h>

#include "owners/scoped_win.h"

namespace gdi {

// A GDI object (bitmap, font, brush) deleted with DeleteObject.
template <typename T>
using ScopedObject = ScopedGdiObject<T>;

// A memory DC made with CreateCompatibleDC.
class ScopedMemoryDC {
 public:
  explicit ScopedMemoryDC(HDC compatible) : m_hdc(CreateCompatibleDC(compatible)) {}
  ~ScopedMemoryDC() {
    if (m_hdc) DeleteDC(m_hdc);
  }
  ScopedMemoryDC(const ScopedMemoryDC&) = delete;
  ScopedMemoryDC& operator=(const ScopedMemoryDC&) = delete;
  HDC Get() const { return m_hdc; }

 private:
  HDC m_hdc;
};

// The DC of a window (GetDC / ReleaseDC).
class WindowDC {
 public:
  explicit WindowDC(HWND hwnd) : m_hwnd(hwnd), m_hdc(GetDC(hwnd)) {}
  ~WindowDC() {
    if (m_hdc) ReleaseDC(m_hwnd, m_hdc);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC Get() const { return m_hdc; }

 private:
  HWND m_hwnd;
  HDC m_hdc;
};

// Selects an object into a DC and puts the previous one back.
class ScopedSelect {
 public:
  ScopedSelect(HDC hdc, HGDIOBJ object)
      : m_hdc(hdc), m_previous(object ? SelectObject(hdc, object) : nullptr) {}
  ~ScopedSelect() {
    if (m_previous) SelectObject(m_hdc, m_previous);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC m_hdc;
  HGDIOBJ m_previous;
};

// BeginPaint / EndPaint.
class PaintScope {
 public:
  explicit PaintScope(HWND hwnd) : m_hwnd(hwnd) { m_hdc = BeginPaint(hwnd, &m_paint); }
  ~PaintScope() { EndPaint(m_hwnd, &m_paint); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC Get() const { return m_hdc; }

 private:
  HWND m_hwnd;
  HDC m_hdc;
  PAINTSTRUCT m_paint{};
};

}  // namespace gdi
