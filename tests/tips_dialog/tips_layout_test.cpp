// Where the dialog and its controls are, read back from the live window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_harness.h"
#include "updater_resource.h"

using namespace tipstest;

namespace {

struct Layout {
  RECT window{};
  RECT client{};
  RECT controls[4]{};
  bool visible[4]{};
  std::wstring captions[4];
  LONG styles[4]{};
  LONG dialogStyle = 0;
  LONG dialogExStyle = 0;
};

const int kControlIds[4] = {IDOK, IDCANCEL, IDC_CLOSE_BTN, IDC_NOREMIND_CHK};

Layout ReadLayout(int nMode) {
  Layout layout;
  CTipsDlg dialog(nMode);
  dialog.SetText(L"有新版本可用");
  INT_PTR result = RunDialog(dialog, [&](CTipsDlg& dlg) {
    HWND hwnd = dlg.m_hWnd;
    GetWindowRect(hwnd, &layout.window);
    GetClientRect(hwnd, &layout.client);
    layout.dialogStyle = GetWindowLongW(hwnd, GWL_STYLE);
    layout.dialogExStyle = GetWindowLongW(hwnd, GWL_EXSTYLE);
    for (int i = 0; i < 4; ++i) {
      HWND hControl = GetDlgItem(hwnd, kControlIds[i]);
      layout.controls[i] = ControlRect(hwnd, kControlIds[i]);
      layout.visible[i] = IsWindowVisible(hControl) != FALSE;
      layout.styles[i] = GetWindowLongW(hControl, GWL_STYLE);
      wchar_t caption[32] = {};
      GetWindowTextW(hControl, caption, 32);
      layout.captions[i] = caption;
    }
    dlg.EndDialog(static_cast<int>(kScriptDone));
  });
  EXPECT_EQ(kScriptDone, result);
  return layout;
}

void ExpectRect(const RECT& rc, int x, int y, int w, int h, const char* what) {
  EXPECT_EQ(x, rc.left) << what;
  EXPECT_EQ(y, rc.top) << what;
  EXPECT_EQ(w, rc.right - rc.left) << what;
  EXPECT_EQ(h, rc.bottom - rc.top) << what;
}

void ExpectCentredOnWorkArea(const RECT& window) {
  RECT work{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_NEAR((work.left + work.right) / 2.0, (window.left + window.right) / 2.0, 1.0);
  EXPECT_NEAR((work.top + work.bottom) / 2.0, (window.top + window.bottom) / 2.0, 1.0);
}

}  // namespace

TEST(TipsDialogLayout, AskingModePlacesUpdateCancelCloseAndBox) {
  Layout layout = ReadLayout(0);
  EXPECT_EQ(386, layout.window.right - layout.window.left);
  EXPECT_EQ(176, layout.window.bottom - layout.window.top);
  ExpectRect(layout.client, 0, 0, 386, 176, "client");
  ExpectCentredOnWorkArea(layout.window);

  ExpectRect(layout.controls[0], 268, 142, 51, 24, "update button");
  ExpectRect(layout.controls[1], 325, 142, 51, 24, "cancel button");
  ExpectRect(layout.controls[2], 361, 10, 15, 15, "close button");
  ExpectRect(layout.controls[3], 16, 146, 13, 13, "box");
  EXPECT_TRUE(layout.visible[0]);
  EXPECT_TRUE(layout.visible[1]);
  EXPECT_FALSE(layout.visible[2]);
  EXPECT_TRUE(layout.visible[3]);
}

TEST(TipsDialogLayout, InformingModeShowsOnlyTheOkButton) {
  Layout layout = ReadLayout(1);
  EXPECT_EQ(386, layout.window.right - layout.window.left);
  EXPECT_EQ(176, layout.window.bottom - layout.window.top);
  ExpectCentredOnWorkArea(layout.window);

  ExpectRect(layout.controls[0], 325, 142, 51, 24, "OK button");
  ExpectRect(layout.controls[2], 361, 10, 15, 15, "close button");
  EXPECT_TRUE(layout.visible[0]);
  EXPECT_FALSE(layout.visible[1]);
  EXPECT_FALSE(layout.visible[2]);
  EXPECT_FALSE(layout.visible[3]);
}

TEST(TipsDialogLayout, TemplateKeepsStylesAndChineseCaptions) {
  Layout layout = ReadLayout(0);
  EXPECT_EQ(WS_POPUP, layout.dialogStyle & (WS_POPUP | WS_CHILD));
  EXPECT_TRUE(layout.dialogStyle & WS_SYSMENU);
  EXPECT_NE(WS_CAPTION, layout.dialogStyle & WS_CAPTION);
  EXPECT_EQ(L"确定", layout.captions[0]);
  EXPECT_EQ(L"取消", layout.captions[1]);
  EXPECT_EQ(L"关闭", layout.captions[2]);
  EXPECT_EQ(L"", layout.captions[3]);

  EXPECT_EQ(BS_DEFPUSHBUTTON, layout.styles[0] & BS_TYPEMASK);
  EXPECT_EQ(BS_PUSHBUTTON, layout.styles[1] & BS_TYPEMASK);
  EXPECT_EQ(BS_PUSHBUTTON, layout.styles[2] & BS_TYPEMASK);
  EXPECT_EQ(BS_PUSHBUTTON, layout.styles[3] & BS_TYPEMASK);
  EXPECT_TRUE(layout.styles[0] & WS_TABSTOP);
  EXPECT_TRUE(layout.styles[1] & WS_TABSTOP);
  EXPECT_FALSE(layout.styles[2] & WS_TABSTOP);
  EXPECT_TRUE(layout.styles[3] & WS_TABSTOP);
}

// The dialog asks for "宋体"; the texts must come out as characters, not as
// the boxes of missing glyphs.
TEST(TipsDialogFont, SongTiFaceHasEveryGlyphTheDialogDraws) {
  LOGFONTW logFont{};
  logFont.lfCharSet = DEFAULT_CHARSET;
  logFont.lfHeight = -12;
  wcscpy_s(logFont.lfFaceName, L"宋体");
  HFONT hFont = CreateFontIndirectW(&logFont);
  ASSERT_TRUE(hFont);
  HDC hdc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(hdc, hFont);
  const std::wstring texts = L"极速上传控件更新确定取消不再提醒";
  std::vector<WORD> glyphs(texts.size());
  DWORD converted = GetGlyphIndicesW(hdc, texts.c_str(), static_cast<int>(texts.size()),
                                     glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
  SelectObject(hdc, previous);
  DeleteDC(hdc);
  DeleteObject(hFont);
  ASSERT_EQ(texts.size(), converted);
  for (size_t i = 0; i < glyphs.size(); ++i) EXPECT_NE(0xFFFF, glyphs[i]) << "character " << i;
}
