#include "dialog_harness.h"

#include <objidl.h>
#include <gdiplus.h>
#include <gtest/gtest.h>

namespace tipstest {
namespace {

class GdiplusEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    Gdiplus::GdiplusStartupInput input;
    ASSERT_EQ(Gdiplus::Ok, Gdiplus::GdiplusStartup(&m_token, &input, nullptr));
  }
  void TearDown() override { Gdiplus::GdiplusShutdown(m_token); }

 private:
  ULONG_PTR m_token = 0;
};

const auto* const g_gdiplus = ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

struct Run {
  CTipsDlg* pDialog;
  const std::function<void(CTipsDlg&)>* pScript;
  UINT_PTR uStartTimer;
  UINT_PTR uGuardTimer;
};
Run* g_pRun = nullptr;

void CALLBACK OnTimer(HWND, UINT, UINT_PTR idEvent, DWORD) {
  if (!g_pRun || !g_pRun->pDialog->m_hWnd) return;
  if (idEvent == g_pRun->uGuardTimer) {
    KillTimer(nullptr, idEvent);
    g_pRun->pDialog->EndDialog(static_cast<int>(kTimedOut));
    return;
  }
  if (idEvent != g_pRun->uStartTimer || !IsWindowVisible(g_pRun->pDialog->m_hWnd)) return;
  KillTimer(nullptr, idEvent);
  g_pRun->uStartTimer = 0;
  (*g_pRun->pScript)(*g_pRun->pDialog);
}

}  // namespace

INT_PTR RunDialog(CTipsDlg& dialog, const std::function<void(CTipsDlg&)>& script) {
  Run run{&dialog, &script, SetTimer(nullptr, 0, 20, OnTimer), SetTimer(nullptr, 0, 5000, OnTimer)};
  g_pRun = &run;
  INT_PTR result = dialog.DoModal();
  g_pRun = nullptr;
  if (run.uStartTimer) KillTimer(nullptr, run.uStartTimer);
  KillTimer(nullptr, run.uGuardTimer);
  return result;
}

Picture::Picture(CTipsDlg& dialog) : canvas(nullptr, CTipsDlg::kWidth, CTipsDlg::kHeight) {
  RECT rc{};
  GetClientRect(dialog.m_hWnd, &rc);
  dialog.ComposePicture(canvas.GetDC(), rc.right, rc.bottom);
}

RECT ControlRect(HWND hDialog, int nID) {
  RECT rc{};
  GetWindowRect(GetDlgItem(hDialog, nID), &rc);
  MapWindowPoints(nullptr, hDialog, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

POINT Centre(const RECT& rc) { return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2}; }

void MoveMouse(HWND hDialog, POINT ptClient) {
  SendMessageW(hDialog, WM_MOUSEMOVE, 0, MAKELPARAM(ptClient.x, ptClient.y));
}

void Click(HWND hDialog, int nID) { SendMessageW(GetDlgItem(hDialog, nID), BM_CLICK, 0, 0); }

void PressKey(HWND hDialog, UINT vk) {
  HWND hTarget = GetFocus();
  if (!hTarget || (hTarget != hDialog && !IsChild(hDialog, hTarget))) hTarget = hDialog;
  PostMessageW(hTarget, WM_KEYDOWN, vk, 1);
  PostMessageW(hTarget, WM_KEYUP, vk, 0xC0000001);
}

int Straight(int channel, int alpha) {
  return alpha == 0 ? 0 : (channel * 255 + alpha / 2) / alpha;
}

int TipsDlgWithoutImages::OnCreate(LPCREATESTRUCTW lpCreateStruct) {
  int result = CTipsDlg::OnCreate(lpCreateStruct);
  m_pBackground.reset();
  m_pOkImage.reset();
  m_pCancelImage.reset();
  m_pCloseImage.reset();
  m_pCloseHoverImage.reset();
  m_pBoxImage.reset();
  m_pBoxCheckedImage.reset();
  return result;
}

}  // namespace tipstest
