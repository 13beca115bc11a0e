// The dialog driven by the messages a user's keyboard and mouse produce.
#include <gtest/gtest.h>

#include "dialog_harness.h"
#include "updater_resource.h"

using namespace tipstest;

namespace {

struct Outcome {
  INT_PTR result;
  bool bNoRemind;
};

Outcome Drive(int nMode, const std::function<void(CTipsDlg&)>& script) {
  CTipsDlg dialog(nMode);
  dialog.SetText(L"发现新版本，是否更新？");
  INT_PTR result = RunDialog(dialog, script);
  return Outcome{result, dialog.m_bNoRemind};
}

const POINT kCloseCentre{368, 17};
const POINT kFreePoint{120, 60};

}  // namespace

TEST(TipsDialogKeys, EnterUpdatesInAskingMode) {
  EXPECT_EQ(IDOK, Drive(0, [](CTipsDlg& dlg) { PressKey(dlg.m_hWnd, VK_RETURN); }).result);
}

TEST(TipsDialogKeys, EnterConfirmsInInformingMode) {
  EXPECT_EQ(IDOK, Drive(1, [](CTipsDlg& dlg) { PressKey(dlg.m_hWnd, VK_RETURN); }).result);
}

TEST(TipsDialogKeys, EscapeCancelsInBothModes) {
  for (int nMode : {0, 1}) {
    EXPECT_EQ(IDCANCEL, Drive(nMode, [](CTipsDlg& dlg) { PressKey(dlg.m_hWnd, VK_ESCAPE); }).result)
        << "mode " << nMode;
  }
}

TEST(TipsDialogButtons, UpdateButtonEndsWithIdOk) {
  EXPECT_EQ(IDOK, Drive(0, [](CTipsDlg& dlg) { Click(dlg.m_hWnd, IDOK); }).result);
}

TEST(TipsDialogButtons, CancelButtonEndsWithIdCancel) {
  Outcome outcome = Drive(0, [](CTipsDlg& dlg) { Click(dlg.m_hWnd, IDCANCEL); });
  EXPECT_EQ(IDCANCEL, outcome.result);
  EXPECT_FALSE(outcome.bNoRemind);
}

TEST(TipsDialogButtons, CloseCrossEndsWithIdCancelInBothModes) {
  for (int nMode : {0, 1}) {
    Outcome outcome = Drive(nMode, [](CTipsDlg& dlg) {
      MoveMouse(dlg.m_hWnd, kCloseCentre);
      ASSERT_TRUE(IsWindowVisible(GetDlgItem(dlg.m_hWnd, IDC_CLOSE_BTN)));
      Click(dlg.m_hWnd, IDC_CLOSE_BTN);
    });
    EXPECT_EQ(IDCANCEL, outcome.result) << "mode " << nMode;
  }
}

TEST(TipsDialogBox, OneClickChecksAndCancelKeepsIt) {
  Outcome outcome = Drive(0, [](CTipsDlg& dlg) {
    Click(dlg.m_hWnd, IDC_NOREMIND_CHK);
    EXPECT_TRUE(dlg.m_bNoRemind);
    Click(dlg.m_hWnd, IDCANCEL);
  });
  EXPECT_EQ(IDCANCEL, outcome.result);
  EXPECT_TRUE(outcome.bNoRemind);
}

TEST(TipsDialogBox, TwoClicksLeaveItUnchecked) {
  Outcome outcome = Drive(0, [](CTipsDlg& dlg) {
    Click(dlg.m_hWnd, IDC_NOREMIND_CHK);
    Click(dlg.m_hWnd, IDC_NOREMIND_CHK);
    PressKey(dlg.m_hWnd, VK_ESCAPE);
  });
  EXPECT_EQ(IDCANCEL, outcome.result);
  EXPECT_FALSE(outcome.bNoRemind);
}

TEST(TipsDialogBox, InformingModeHidesCancelAndBoxFromThePointer) {
  Outcome outcome = Drive(1, [](CTipsDlg& dlg) {
    HWND hwnd = dlg.m_hWnd;
    for (int nID : {IDCANCEL, IDC_NOREMIND_CHK}) {
      POINT pt = Centre(ControlRect(hwnd, nID));
      EXPECT_EQ(hwnd, ChildWindowFromPointEx(hwnd, pt, CWP_SKIPINVISIBLE)) << "control " << nID;
      // A press there is a press on the panel: it starts a move and changes nothing.
      SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
      SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
      MSG msg{};
      EXPECT_TRUE(PeekMessageW(&msg, hwnd, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
    }
    POINT ok = Centre(ControlRect(hwnd, IDOK));
    EXPECT_EQ(GetDlgItem(hwnd, IDOK), ChildWindowFromPointEx(hwnd, ok, CWP_SKIPINVISIBLE));
    dlg.EndDialog(static_cast<int>(kScriptDone));
  });
  EXPECT_EQ(kScriptDone, outcome.result);
  EXPECT_FALSE(outcome.bNoRemind);
}

TEST(TipsDialogMouse, HoverOverCloseCrossShowsAndHidesTheCloseControl) {
  Drive(0, [](CTipsDlg& dlg) {
    HWND hwnd = dlg.m_hWnd;
    HWND hClose = GetDlgItem(hwnd, IDC_CLOSE_BTN);
    EXPECT_FALSE(dlg.m_bCloseHover);
    MoveMouse(hwnd, kCloseCentre);
    EXPECT_TRUE(dlg.m_bCloseHover);
    EXPECT_TRUE(IsWindowVisible(hClose));
    MoveMouse(hwnd, POINT{kCloseCentre.x + 1, kCloseCentre.y + 1});
    EXPECT_TRUE(dlg.m_bCloseHover);
    MoveMouse(hwnd, kFreePoint);
    EXPECT_FALSE(dlg.m_bCloseHover);
    EXPECT_FALSE(IsWindowVisible(hClose));
    // Just outside the cross's rectangle counts as off it.
    MoveMouse(hwnd, POINT{360, 17});
    EXPECT_FALSE(dlg.m_bCloseHover);
    dlg.EndDialog(static_cast<int>(kScriptDone));
  });
}

TEST(TipsDialogMouse, PressOnAFreePointStartsAMoveFromTheScreenPosition) {
  Drive(0, [](CTipsDlg& dlg) {
    HWND hwnd = dlg.m_hWnd;
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kFreePoint.x, kFreePoint.y));
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, hwnd, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
    EXPECT_EQ(static_cast<WPARAM>(HTCAPTION), msg.wParam);
    POINT expected = kFreePoint;
    ClientToScreen(hwnd, &expected);
    EXPECT_EQ(expected.x, static_cast<short>(LOWORD(msg.lParam)));
    EXPECT_EQ(expected.y, static_cast<short>(HIWORD(msg.lParam)));
    dlg.EndDialog(static_cast<int>(kScriptDone));
  });
}

TEST(TipsDialogMouse, DialogWithoutImagesStillWorks) {
  TipsDlgWithoutImages dialog(0);
  dialog.SetText(L"发现新版本");
  INT_PTR result = RunDialog(dialog, [](CTipsDlg& dlg) {
    Click(dlg.m_hWnd, IDC_NOREMIND_CHK);
    UpdateWindow(dlg.m_hWnd);
    Click(dlg.m_hWnd, IDOK);
  });
  EXPECT_EQ(IDOK, result);
  EXPECT_TRUE(dialog.m_bNoRemind);
}
