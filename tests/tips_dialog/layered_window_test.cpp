// Handing a composed picture to the system as a layered window's look.
#include <gtest/gtest.h>

#include "app/dib_canvas.h"
#include "app/global.h"
#include "dialog_harness.h"

using namespace tipstest;

namespace {

class ScopedWindow {
 public:
  explicit ScopedWindow(HWND hwnd) : m_hwnd(hwnd) {}
  ~ScopedWindow() {
    if (m_hwnd) DestroyWindow(m_hwnd);
  }
  HWND Get() const { return m_hwnd; }

 private:
  HWND m_hwnd;
};

}  // namespace

TEST(LayeredWindow, UpdateLayeredMakesThePopupLayeredWithoutKeyOrConstantAlpha) {
  ScopedWindow popup(CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 40, 30, 120, 80,
                                     nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
  ASSERT_TRUE(popup.Get());
  ASSERT_FALSE(GetWindowLongW(popup.Get(), GWL_EXSTYLE) & WS_EX_LAYERED);
  CDibCanvas canvas(nullptr, 120, 80);
  ASSERT_TRUE(canvas.IsValid());

  EXPECT_TRUE(CGlobal::Instance().UpdateLayered(popup.Get(), canvas.GetDC()));
  EXPECT_TRUE(GetWindowLongW(popup.Get(), GWL_EXSTYLE) & WS_EX_LAYERED);
  // A window updated through UpdateLayeredWindow has no attributes of the
  // SetLayeredWindowAttributes kind.
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  EXPECT_FALSE(GetLayeredWindowAttributes(popup.Get(), &key, &alpha, &flags));
  RECT rc{};
  GetWindowRect(popup.Get(), &rc);
  EXPECT_EQ(40, rc.left);
  EXPECT_EQ(30, rc.top);
}

TEST(LayeredWindow, DialogBecomesLayeredOnceItHasPainted) {
  CTipsDlg dialog(0);
  dialog.SetText(L"发现新版本");
  INT_PTR result = RunDialog(dialog, [](CTipsDlg& dlg) {
    RedrawWindow(dlg.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_TRUE(GetWindowLongW(dlg.m_hWnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    EXPECT_FALSE(GetLayeredWindowAttributes(dlg.m_hWnd, &key, &alpha, &flags));
    dlg.EndDialog(static_cast<int>(kScriptDone));
  });
  EXPECT_EQ(kScriptDone, result);
}

namespace {

// Notes the extended style the window has when the dialog is initialised,
// before anything is painted.
class StyleRecordingTipsDlg : public CTipsDlg {
 public:
  using CTipsDlg::CTipsDlg;
  LONG m_exStyleAtInit = -1;

 protected:
  BOOL OnInitDialog() override {
    m_exStyleAtInit = GetWindowLongW(m_hWnd, GWL_EXSTYLE);
    return CTipsDlg::OnInitDialog();
  }
};

}  // namespace

TEST(LayeredWindow, DialogIsNotLayeredBeforeItsFirstPaint) {
  StyleRecordingTipsDlg dialog(1);
  INT_PTR result =
      RunDialog(dialog, [](CTipsDlg& dlg) { dlg.EndDialog(static_cast<int>(kScriptDone)); });
  EXPECT_EQ(kScriptDone, result);
  ASSERT_NE(-1, dialog.m_exStyleAtInit);
  EXPECT_FALSE(dialog.m_exStyleAtInit & WS_EX_LAYERED);
}
