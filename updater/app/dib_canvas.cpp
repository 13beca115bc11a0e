#include "app/dib_canvas.h"

namespace {

HBITMAP CreateBottomUpDib(HDC hdc, int nWidth, int nHeight, void** ppBits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = nWidth;
  info.bmiHeader.biHeight = nHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(hdc, &info, DIB_RGB_COLORS, ppBits, nullptr, 0);
}

}  // namespace

CDibCanvas::CDibCanvas(HDC hdcCompatible, int nWidth, int nHeight)
    : m_nWidth(nWidth), m_nHeight(nHeight), m_dc(hdcCompatible) {
  m_bitmap.Reset(CreateBottomUpDib(hdcCompatible, nWidth, nHeight, &m_pBits));
  if (!m_bitmap.Get()) m_pBits = nullptr;
  if (!IsValid()) return;
  m_previous = SelectObject(m_dc.Get(), m_bitmap.Get());
  SetBkMode(m_dc.Get(), TRANSPARENT);
  SetTextColor(m_dc.Get(), RGB(0, 0, 0));
}

CDibCanvas::~CDibCanvas() {
  if (m_previous) SelectObject(m_dc.Get(), m_previous);
}

uint32_t CDibCanvas::Pixel(int x, int y) const {
  GdiFlush();
  const auto* rows = static_cast<const uint32_t*>(m_pBits);
  return rows[(m_nHeight - 1 - y) * m_nWidth + x];
}
