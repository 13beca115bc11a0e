// The notification dialog: asks whether to install a downloaded update (mode
// 0) or only tells that it will be installed (mode 1). Its whole look is
// drawn into a 32-bit picture with per-pixel alpha and handed to the system
// as a layered window; the child buttons are invisible hit targets.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/dialog_base.h"

namespace Gdiplus {
class Bitmap;
class Graphics;
class Font;
}  // namespace Gdiplus

class CTipsDlg : public CDialog {
 public:
  static constexpr int kWidth = 386;
  static constexpr int kHeight = 176;

  explicit CTipsDlg(int nMode);
  ~CTipsDlg() override;

  void SetText(const std::wstring& strText) { m_strText = strText; }

  // Draws the dialog's whole picture into hMemDC, a 32-bit bitmap of the
  // client size selected into a memory DC. Needs the live window (for the
  // fonts and the controls' places).
  void ComposePicture(HDC hMemDC, int nWidth, int nHeight);

  bool m_bCloseHover = false;
  bool m_bNoRemind = false;

 protected:
  LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  int OnCreate(LPCREATESTRUCTW lpCreateStruct) override;
  BOOL OnInitDialog() override;
  bool OnCommand(WORD wID, WORD wNotifyCode) override;

  void OnPaint();
  void OnLButtonDown(POINT ptClient);
  void OnMouseMove(POINT ptClient);

  std::unique_ptr<Gdiplus::Bitmap> m_pBackground;
  std::unique_ptr<Gdiplus::Bitmap> m_pOkImage;
  std::unique_ptr<Gdiplus::Bitmap> m_pCancelImage;
  std::unique_ptr<Gdiplus::Bitmap> m_pCloseImage;
  std::unique_ptr<Gdiplus::Bitmap> m_pCloseHoverImage;
  std::unique_ptr<Gdiplus::Bitmap> m_pBoxImage;
  std::unique_ptr<Gdiplus::Bitmap> m_pBoxCheckedImage;
  const int m_nMode;
  CFont m_fontText;
  CFont m_fontTitle;
  std::wstring m_strText;

 private:
  void LoadImages();
  void CreateFonts();
  void LayoutControls();
  void CenterOnWorkArea();
  RECT ControlRect(int nID) const;
  bool IsControlVisible(int nID) const;
  void DrawControls(Gdiplus::Graphics& graphics, const Gdiplus::Font& font);
};
