// A 32-bit top-down-addressable picture in a memory DC: the surface on which
// the layered dialog composes itself before handing it to the system.
#pragma once

#include <windows.h>

#include <cstdint>

#include "owners/scoped_gdi.h"

class CDibCanvas {
 public:
  // A bottom-up 32-bit BI_RGB bitmap of width x height, zero-filled, selected
  // into a memory DC compatible with hdcCompatible.
  CDibCanvas(HDC hdcCompatible, int nWidth, int nHeight);
  ~CDibCanvas();
  CDibCanvas(const CDibCanvas&) = delete;
  CDibCanvas& operator=(const CDibCanvas&) = delete;

  bool IsValid() const { return m_pBits != nullptr && m_dc.Get() != nullptr; }
  HDC GetDC() const { return m_dc.Get(); }
  int Width() const { return m_nWidth; }
  int Height() const { return m_nHeight; }

  // The pixel at (x, y) counted from the top-left corner, as 0xAARRGGBB
  // (premultiplied, as GDI+ leaves it). The caller keeps x and y in range.
  uint32_t Pixel(int x, int y) const;

 private:
  int m_nWidth;
  int m_nHeight;
  void* m_pBits = nullptr;
  gdi::ScopedObject<HBITMAP> m_bitmap;
  gdi::ScopedMemoryDC m_dc;
  HGDIOBJ m_previous = nullptr;
};
