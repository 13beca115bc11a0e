#include "app/tips_dlg.h"

#include <objidl.h>
#include <gdiplus.h>
#include <windowsx.h>

#include "app/dib_canvas.h"
#include "owners/scoped_gdi.h"
#include "app/global.h"
#include "app/image_resource.h"
#include "updater_resource.h"

namespace {

const wchar_t kTitle[] = L"极速上传控件更新";
const wchar_t kUpdateLabel[] = L"更新";
const wchar_t kOkLabel[] = L"确定";
const wchar_t kCancelLabel[] = L"取消";
const wchar_t kNoRemindLabel[] = L"不再提醒";
const wchar_t kFontFace[] = L"宋体";

// Text colours keep alpha below 0xFF: GDI+ then draws the glyphs itself and
// keeps the alpha channel of the picture intact.
const Gdiplus::ARGB kMessageColour = 0xFE333333;
const Gdiplus::ARGB kTitleColour = 0xFE4E4E4E;
const Gdiplus::ARGB kOkLabelColour = 0xFEFFFFFF;
const Gdiplus::ARGB kCancelLabelColour = 0xFE333333;
const Gdiplus::ARGB kNoRemindColour = 0xFE6E6E6E;

const int kButtonWidth = 51;
const int kButtonHeight = 24;
const int kCloseSize = 15;
const int kBoxSize = 13;

Gdiplus::RectF ToRectF(const RECT& rc) {
  return Gdiplus::RectF(static_cast<Gdiplus::REAL>(rc.left), static_cast<Gdiplus::REAL>(rc.top),
                        static_cast<Gdiplus::REAL>(rc.right - rc.left),
                        static_cast<Gdiplus::REAL>(rc.bottom - rc.top));
}

// Draws the whole image stretched over rc.
void DrawImageOver(Gdiplus::Graphics& graphics, Gdiplus::Bitmap& image, const RECT& rc) {
  graphics.DrawImage(&image, ToRectF(rc), 0.0f, 0.0f, static_cast<Gdiplus::REAL>(image.GetWidth()),
                     static_cast<Gdiplus::REAL>(image.GetHeight()), Gdiplus::UnitPixel);
}

void DrawLabel(Gdiplus::Graphics& graphics, const wchar_t* pszText, const Gdiplus::Font& font,
               const Gdiplus::RectF& rect, const Gdiplus::StringFormat& format,
               Gdiplus::ARGB colour) {
  Gdiplus::SolidBrush brush{Gdiplus::Color(colour)};
  // The text wraps inside its rectangle and is cut at its edges; the clip
  // makes the cut explicit rather than leaving it to the GDI+ in use.
  graphics.SetClip(rect);
  graphics.DrawString(pszText, -1, &font, rect, &format, &brush);
  graphics.ResetClip();
}

void PlaceControl(HWND hDialog, int nID, int x, int y, int nWidth, int nHeight) {
  if (HWND hControl = GetDlgItem(hDialog, nID)) MoveWindow(hControl, x, y, nWidth, nHeight, TRUE);
}

void ShowControl(HWND hDialog, int nID, bool bShow) {
  if (HWND hControl = GetDlgItem(hDialog, nID)) ShowWindow(hControl, bShow ? SW_SHOW : SW_HIDE);
}

}  // namespace

CTipsDlg::CTipsDlg(int nMode) : CDialog(IDD_TIPS_DLG, nullptr), m_nMode(nMode) {}

CTipsDlg::~CTipsDlg() = default;

LRESULT CTipsDlg::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  switch (uMsg) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_LBUTTONDOWN:
      OnLButtonDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return Default();
    case WM_MOUSEMOVE:
      OnMouseMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return Default();
  }
  return CDialog::WindowProc(uMsg, wParam, lParam);
}

int CTipsDlg::OnCreate(LPCREATESTRUCTW lpCreateStruct) {
  if (CDialog::OnCreate(lpCreateStruct) == -1) return -1;
  // Layered only once the first picture is handed over; until then the
  // window must receive its first WM_PAINT.
  LONG exStyle = GetWindowLongW(m_hWnd, GWL_EXSTYLE);
  if (exStyle & WS_EX_LAYERED) SetWindowLongW(m_hWnd, GWL_EXSTYLE, exStyle & ~WS_EX_LAYERED);
  LoadImages();
  MoveWindow(m_hWnd, 0, 0, kWidth, kHeight, FALSE);
  CenterOnWorkArea();
  return 0;
}

void CTipsDlg::LoadImages() {
  HMODULE hModule = GetResourceHandle();
  m_pBackground = LoadImageResource(IDR_TIPS_BACKGROUND, hModule);
  m_pOkImage = LoadImageResource(IDR_TIPS_OK, hModule);
  m_pCancelImage = LoadImageResource(IDR_TIPS_CANCEL, hModule);
  m_pCloseImage = LoadImageResource(IDR_TIPS_CLOSE, hModule);
  m_pCloseHoverImage = LoadImageResource(IDR_TIPS_CLOSE_HOVER, hModule);
  m_pBoxImage = LoadImageResource(IDR_TIPS_BOX, hModule);
  m_pBoxCheckedImage = LoadImageResource(IDR_TIPS_BOX_CHECKED, hModule);
}

void CTipsDlg::CenterOnWorkArea() {
  RECT rcWork{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0)) return;
  RECT rcWindow{};
  GetWindowRect(m_hWnd, &rcWindow);
  int nWidth = rcWindow.right - rcWindow.left;
  int nHeight = rcWindow.bottom - rcWindow.top;
  int x = (rcWork.left + rcWork.right) / 2 - nWidth / 2;
  int y = (rcWork.top + rcWork.bottom) / 2 - nHeight / 2;
  SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CTipsDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  CreateFonts();
  LayoutControls();
  return TRUE;
}

void CTipsDlg::CreateFonts() {
  int nPixelsPerInch = 96;
  {
    gdi::WindowDC dc(m_hWnd);
    if (dc.Get()) nPixelsPerInch = GetDeviceCaps(dc.Get(), LOGPIXELSY);
  }
  LOGFONTW logFont{};
  logFont.lfCharSet = DEFAULT_CHARSET;
  wcscpy_s(logFont.lfFaceName, kFontFace);
  logFont.lfWeight = FW_NORMAL;
  logFont.lfHeight = -MulDiv(9, nPixelsPerInch, 72);
  m_fontText.CreateFontIndirect(&logFont);
  logFont.lfWeight = FW_BOLD;
  logFont.lfHeight = -12;
  m_fontTitle.CreateFontIndirect(&logFont);
}

void CTipsDlg::LayoutControls() {
  RECT rcClient{};
  GetClientRect(m_hWnd, &rcClient);
  const int w = rcClient.right;
  const int h = rcClient.bottom;
  switch (m_nMode) {
    case 0:
      PlaceControl(m_hWnd, IDOK, w - 118, h - 34, kButtonWidth, kButtonHeight);
      PlaceControl(m_hWnd, IDCANCEL, w - 61, h - 34, kButtonWidth, kButtonHeight);
      ShowControl(m_hWnd, IDCANCEL, true);
      PlaceControl(m_hWnd, IDC_CLOSE_BTN, w - 25, 10, kCloseSize, kCloseSize);
      PlaceControl(m_hWnd, IDC_NOREMIND_CHK, 16, h - 30, kBoxSize, kBoxSize);
      ShowControl(m_hWnd, IDC_NOREMIND_CHK, true);
      break;
    case 1:
      PlaceControl(m_hWnd, IDOK, w - 61, h - 34, kButtonWidth, kButtonHeight);
      ShowControl(m_hWnd, IDCANCEL, false);
      PlaceControl(m_hWnd, IDC_CLOSE_BTN, w - 25, 10, kCloseSize, kCloseSize);
      ShowControl(m_hWnd, IDC_NOREMIND_CHK, false);
      break;
  }
}

bool CTipsDlg::OnCommand(WORD wID, WORD wNotifyCode) {
  if (wNotifyCode != BN_CLICKED) return CDialog::OnCommand(wID, wNotifyCode);
  switch (wID) {
    case IDC_CLOSE_BTN:
      OnCancel();
      return true;
    case IDC_NOREMIND_CHK:
      m_bNoRemind = !m_bNoRemind;
      InvalidateRect(m_hWnd, nullptr, TRUE);
      return true;
  }
  return CDialog::OnCommand(wID, wNotifyCode);
}

// Dragging works from any point of the surface: the press is turned into a
// press on a caption. WM_NCLBUTTONDOWN carries screen coordinates.
void CTipsDlg::OnLButtonDown(POINT ptClient) {
  POINT ptScreen = ptClient;
  ClientToScreen(m_hWnd, &ptScreen);
  PostMessageW(m_hWnd, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(ptScreen.x, ptScreen.y));
}

void CTipsDlg::OnMouseMove(POINT ptClient) {
  if (!GetDlgItem(m_hWnd, IDC_CLOSE_BTN)) return;
  RECT rcClose = ControlRect(IDC_CLOSE_BTN);
  bool bInside = PtInRect(&rcClose, ptClient) != FALSE;
  if (bInside == m_bCloseHover) return;
  m_bCloseHover = bInside;
  ShowControl(m_hWnd, IDC_CLOSE_BTN, bInside);
  InvalidateRect(m_hWnd, nullptr, TRUE);
}

RECT CTipsDlg::ControlRect(int nID) const {
  RECT rc{};
  HWND hControl = GetDlgItem(m_hWnd, nID);
  if (!hControl) return rc;
  GetWindowRect(hControl, &rc);
  MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

bool CTipsDlg::IsControlVisible(int nID) const {
  HWND hControl = GetDlgItem(m_hWnd, nID);
  return hControl && (GetWindowLongW(hControl, GWL_STYLE) & WS_VISIBLE);
}

void CTipsDlg::OnPaint() {
  gdi::PaintScope paint(m_hWnd);
  RECT rcClient{};
  GetClientRect(m_hWnd, &rcClient);
  CDibCanvas canvas(paint.Get(), rcClient.right, rcClient.bottom);
  if (!canvas.IsValid()) return;
  ComposePicture(canvas.GetDC(), canvas.Width(), canvas.Height());
  CGlobal::Instance().UpdateLayered(m_hWnd, canvas.GetDC());
}

void CTipsDlg::ComposePicture(HDC hMemDC, int nWidth, int nHeight) {
  Gdiplus::Graphics graphics(hMemDC);
  if (m_pBackground) {
    graphics.DrawImage(m_pBackground.get(), 0, 0, static_cast<INT>(m_pBackground->GetWidth()),
                       static_cast<INT>(m_pBackground->GetHeight()));
  }

  gdi::ScopedSelect selectText(hMemDC, m_fontText.GetSafeHandle());
  Gdiplus::Font textFont(hMemDC);
  Gdiplus::StringFormat centred(0, LANG_NEUTRAL);
  centred.SetAlignment(Gdiplus::StringAlignmentCenter);
  const int nMiddle = nHeight / 2;
  Gdiplus::RectF messageRect(18.0f, static_cast<Gdiplus::REAL>(nMiddle - 15),
                             static_cast<Gdiplus::REAL>(nWidth - 15 - 18), 40.0f);
  DrawLabel(graphics, m_strText.c_str(), textFont, messageRect, centred, kMessageColour);

  {
    gdi::ScopedSelect selectTitle(hMemDC, m_fontTitle.GetSafeHandle());
    Gdiplus::Font titleFont(hMemDC);
    DrawLabel(graphics, kTitle, titleFont, Gdiplus::RectF(12.0f, 10.0f, 188.0f, 20.0f), centred,
              kTitleColour);
  }

  DrawControls(graphics, textFont);
}

void CTipsDlg::DrawControls(Gdiplus::Graphics& graphics, const Gdiplus::Font& font) {
  Gdiplus::StringFormat centred;
  centred.SetAlignment(Gdiplus::StringAlignmentCenter);
  centred.SetLineAlignment(Gdiplus::StringAlignmentCenter);

  if (m_pOkImage) {
    RECT rc = ControlRect(IDOK);
    DrawImageOver(graphics, *m_pOkImage, rc);
    const wchar_t* pszLabel = m_nMode == 0 ? kUpdateLabel : m_nMode == 1 ? kOkLabel : nullptr;
    if (pszLabel) DrawLabel(graphics, pszLabel, font, ToRectF(rc), centred, kOkLabelColour);
  }
  if (m_pCancelImage && IsControlVisible(IDCANCEL)) {
    RECT rc = ControlRect(IDCANCEL);
    DrawImageOver(graphics, *m_pCancelImage, rc);
    DrawLabel(graphics, kCancelLabel, font, ToRectF(rc), centred, kCancelLabelColour);
  }
  if (m_pCloseImage && m_pCloseHoverImage) {
    DrawImageOver(graphics, m_bCloseHover ? *m_pCloseHoverImage : *m_pCloseImage,
                  ControlRect(IDC_CLOSE_BTN));
  }
  if (m_pBoxImage && m_pBoxCheckedImage && IsControlVisible(IDC_NOREMIND_CHK)) {
    RECT rc = ControlRect(IDC_NOREMIND_CHK);
    DrawImageOver(graphics, m_bNoRemind ? *m_pBoxCheckedImage : *m_pBoxImage, rc);
    Gdiplus::RectF labelRect(static_cast<Gdiplus::REAL>(rc.right + 2),
                             static_cast<Gdiplus::REAL>(rc.top), 64.0f,
                             static_cast<Gdiplus::REAL>(rc.bottom - rc.top + 4));
    Gdiplus::StringFormat plain;
    DrawLabel(graphics, kNoRemindLabel, font, labelRect, plain, kNoRemindColour);
  }
}
