// Runs the notification dialog modally in the test process and lets a test
// act on the live window from inside its modal loop, as a user's input would.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "app/dib_canvas.h"
#include "app/tips_dlg.h"

namespace tipstest {

// Results a script can end the dialog with, apart from IDOK and IDCANCEL.
constexpr INT_PTR kScriptDone = 77;
constexpr INT_PTR kTimedOut = 78;

// Runs dialog.DoModal(); once the window is shown, script(dialog) runs inside
// the modal loop. A dialog still open 5 seconds later ends with kTimedOut.
INT_PTR RunDialog(CTipsDlg& dialog, const std::function<void(CTipsDlg&)>& script);

// The dialog's picture as OnPaint composes it.
struct Picture {
  explicit Picture(CTipsDlg& dialog);
  uint32_t At(int x, int y) const { return canvas.Pixel(x, y); }
  CDibCanvas canvas;
};

RECT ControlRect(HWND hDialog, int nID);
POINT Centre(const RECT& rc);
void MoveMouse(HWND hDialog, POINT ptClient);
void Click(HWND hDialog, int nID);
// Posts a key press to the focused control, as the keyboard would.
void PressKey(HWND hDialog, UINT vk);

inline int Alpha(uint32_t argb) { return argb >> 24; }
inline int Red(uint32_t argb) { return (argb >> 16) & 0xFF; }
inline int Green(uint32_t argb) { return (argb >> 8) & 0xFF; }
inline int Blue(uint32_t argb) { return argb & 0xFF; }

// The straight (not premultiplied) colour channel of a pixel.
int Straight(int channel, int alpha);

// A dialog that has lost every image, as when none could be loaded.
class TipsDlgWithoutImages : public CTipsDlg {
 public:
  using CTipsDlg::CTipsDlg;

 protected:
  int OnCreate(LPCREATESTRUCTW lpCreateStruct) override;
};

}  // namespace tipstest
