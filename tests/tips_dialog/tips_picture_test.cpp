// The picture the dialog hands to the system, composed off screen and read
// back pixel by pixel (premultiplied 0xAARRGGBB).
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "dialog_harness.h"
#include "updater_resource.h"

using namespace tipstest;

namespace {

// Colours the images are drawn with (scripts/make_images.py).
struct Rgb {
  int r, g, b;
};
const Rgb kPanel{255, 255, 255};
const Rgb kTitleBand{240, 241, 243};
const Rgb kFooterBand{245, 246, 248};
const Rgb kCloseNormal{121, 133, 150};
const Rgb kCloseHover{83, 179, 231};
const Rgb kOkButton{84, 182, 235};

const POINT kCloseCentre{368, 17};

void ExpectOpaque(uint32_t pixel, Rgb colour, const char* what) {
  EXPECT_EQ(255, Alpha(pixel)) << what;
  EXPECT_NEAR(colour.r, Red(pixel), 1) << what;
  EXPECT_NEAR(colour.g, Green(pixel), 1) << what;
  EXPECT_NEAR(colour.b, Blue(pixel), 1) << what;
}

// Runs the dialog in nMode with the message, lets prepare act on it, then
// composes its picture and hands it to check.
template <typename Dialog = CTipsDlg>
void WithPicture(int nMode, const wchar_t* pszText, const std::function<void(CTipsDlg&)>& prepare,
                 const std::function<void(const Picture&)>& check) {
  Dialog dialog(nMode);
  dialog.SetText(pszText);
  INT_PTR result = RunDialog(dialog, [&](CTipsDlg& dlg) {
    prepare(dlg);
    Picture picture(dlg);
    ASSERT_TRUE(picture.canvas.IsValid());
    check(picture);
    dlg.EndDialog(static_cast<int>(kScriptDone));
  });
  EXPECT_EQ(kScriptDone, result);
}

void Nothing(CTipsDlg&) {}

// The darkest pixel of a text drawn over an opaque light ground: never darker
// than the text's colour, and close to it where a stroke covers a pixel.
void ExpectTextColour(int colour, int darkest) {
  EXPECT_GE(darkest, colour - 2);
  EXPECT_LE(darkest, colour + 10);
}

struct Ink {
  int count = 0;
  int darkest = 255;  // lowest straight red channel of the counted pixels
  int lightest = 0;   // highest straight red channel of the counted pixels
  int maxAlpha = 0;
};

// Pixels in [left, right) x [top, bottom) that pass the test.
template <typename Test>
Ink InkIn(const Picture& picture, RECT rc, Test test) {
  Ink ink;
  for (int y = rc.top; y < rc.bottom; ++y) {
    for (int x = rc.left; x < rc.right; ++x) {
      uint32_t p = picture.At(x, y);
      if (!test(p)) continue;
      int red = Straight(Red(p), Alpha(p));
      ++ink.count;
      ink.darkest = std::min(ink.darkest, red);
      ink.lightest = std::max(ink.lightest, red);
      ink.maxAlpha = std::max(ink.maxAlpha, Alpha(p));
    }
  }
  return ink;
}

}  // namespace

TEST(TipsPicture, BackgroundGivesPanelBandsShadowAndClearCorners) {
  WithPicture(0, L"", Nothing, [](const Picture& picture) {
    EXPECT_EQ(0, Alpha(picture.At(0, 0))) << "outer corner";
    EXPECT_EQ(0, Alpha(picture.At(385, 175))) << "outer corner";
    ExpectOpaque(picture.At(30, 60), kPanel, "panel");
    ExpectOpaque(picture.At(300, 20), kTitleBand, "title band");
    ExpectOpaque(picture.At(150, 160), kFooterBand, "footer band");
    uint32_t shadow = picture.At(193, 174);
    EXPECT_GT(Alpha(shadow), 0) << "shadow under the panel";
    EXPECT_LT(Alpha(shadow), 128) << "shadow under the panel";
    EXPECT_LE(Red(shadow), 10) << "shadow is dark";
  });
}

TEST(TipsPicture, CloseCrossIsGreyNormallyAndBlueUnderThePointer) {
  WithPicture(0, L"", Nothing, [](const Picture& picture) {
    ExpectOpaque(picture.At(kCloseCentre.x, kCloseCentre.y), kCloseNormal, "normal cross");
    ExpectOpaque(picture.At(kCloseCentre.x, 11), kTitleBand, "between the arms");
  });
  WithPicture(
      0, L"", [](CTipsDlg& dlg) { MoveMouse(dlg.m_hWnd, kCloseCentre); },
      [](const Picture& picture) {
        ExpectOpaque(picture.At(kCloseCentre.x, kCloseCentre.y), kCloseHover, "hover cross");
      });
  WithPicture(
      0, L"",
      [](CTipsDlg& dlg) {
        MoveMouse(dlg.m_hWnd, kCloseCentre);
        MoveMouse(dlg.m_hWnd, POINT{200, 60});
      },
      [](const Picture& picture) {
        ExpectOpaque(picture.At(kCloseCentre.x, kCloseCentre.y), kCloseNormal,
                     "cross after leaving");
      });
}

TEST(TipsPicture, BoxIsEmptyUntilClickedThenTicked) {
  // A point on the tick's stroke: box at (16, 146).
  const POINT tick{16 + 5, 146 + 8};
  WithPicture(0, L"", Nothing, [&](const Picture& picture) {
    uint32_t p = picture.At(tick.x, tick.y);
    EXPECT_GT(Red(p), 240);
    EXPECT_GT(Blue(p), 240);
  });
  WithPicture(
      0, L"", [](CTipsDlg& dlg) { Click(dlg.m_hWnd, IDC_NOREMIND_CHK); },
      [&](const Picture& picture) {
        uint32_t p = picture.At(tick.x, tick.y);
        EXPECT_LT(Red(p), 110);
        EXPECT_GT(Blue(p), Red(p) + 40);
      });
}

TEST(TipsPicture, ButtonsAndLabelsInAskingMode) {
  WithPicture(0, L"", Nothing, [](const Picture& picture) {
    RECT update{268, 142, 319, 166};
    ExpectOpaque(picture.At(270, 144), kOkButton, "update button");
    Ink white = InkIn(picture, update, [](uint32_t p) { return Red(p) > 200; });
    EXPECT_GE(white.count, 15) << "label on the update button";
    EXPECT_GE(white.lightest, 0xFC);

    RECT cancel{326, 143, 375, 165};
    Ink dark = InkIn(picture, cancel, [](uint32_t p) { return Red(p) < 150; });
    EXPECT_GE(dark.count, 15) << "label on the cancel button";
    ExpectTextColour(0x33, dark.darkest);

    RECT boxLabel{31, 146, 95, 163};
    Ink grey = InkIn(picture, boxLabel, [](uint32_t p) { return Red(p) < 200; });
    EXPECT_GE(grey.count, 20) << "label of the box";
    ExpectTextColour(0x6E, grey.darkest);

    RECT title{12, 10, 200, 30};
    Ink titleInk = InkIn(picture, title, [](uint32_t p) { return Red(p) < 180; });
    EXPECT_GE(titleInk.count, 40) << "title";
    ExpectTextColour(0x4E, titleInk.darkest);
  });
}

TEST(TipsPicture, InformingModeDrawsOnlyTheOkButton) {
  WithPicture(1, L"", Nothing, [](const Picture& picture) {
    ExpectOpaque(picture.At(327, 144), kOkButton, "OK button");
    ExpectOpaque(picture.At(270, 144), kFooterBand, "no second button");
    Ink white = InkIn(picture, RECT{325, 142, 376, 166}, [](uint32_t p) { return Red(p) > 200; });
    EXPECT_GE(white.count, 15) << "label on the OK button";
    Ink boxArea = InkIn(picture, RECT{16, 146, 95, 163}, [](uint32_t p) { return Red(p) < 240; });
    EXPECT_EQ(0, boxArea.count) << "no box and no box label";
  });
}

TEST(TipsPicture, TextsKeepAlphaBelowOpaqueOnAClearGround) {
  WithPicture<TipsDlgWithoutImages>(0, L"发现新版本", Nothing, [](const Picture& picture) {
    Ink message = InkIn(picture, RECT{18, 73, 371, 113}, [](uint32_t p) { return Alpha(p) > 0; });
    ASSERT_GE(message.count, 20);
    EXPECT_EQ(0xFE, message.maxAlpha);
    Ink solid = InkIn(picture, RECT{18, 73, 371, 113}, [](uint32_t p) { return Alpha(p) == 0xFE; });
    ASSERT_GT(solid.count, 0);
    EXPECT_NEAR(0x33, solid.darkest, 2);
    EXPECT_NEAR(0x33, solid.lightest, 2);

    Ink title = InkIn(picture, RECT{12, 10, 200, 30}, [](uint32_t p) { return Alpha(p) == 0xFE; });
    ASSERT_GT(title.count, 0);
    EXPECT_NEAR(0x4E, title.darkest, 2);

    Ink anyOpaque =
        InkIn(picture, RECT{0, 0, 386, 176}, [](uint32_t p) { return Alpha(p) == 0xFF; });
    EXPECT_EQ(0, anyOpaque.count);
  });
}

TEST(TipsPicture, MissingImagesLeaveTheirElementsUndrawn) {
  WithPicture<TipsDlgWithoutImages>(
      0, L"", [](CTipsDlg& dlg) { MoveMouse(dlg.m_hWnd, kCloseCentre); },
      [](const Picture& picture) {
        // Only the title is drawn.
        Ink below = InkIn(picture, RECT{0, 31, 386, 176}, [](uint32_t p) { return Alpha(p) != 0; });
        EXPECT_EQ(0, below.count);
        EXPECT_EQ(0, Alpha(picture.At(kCloseCentre.x, kCloseCentre.y)));
      });
}

TEST(TipsPicture, LongMessageWrapsAndIsCutAtItsRectangle) {
  std::wstring text;
  for (int i = 0; i < 12; ++i) text += L"新版本的极速上传控件已经下载完成，";
  WithPicture<TipsDlgWithoutImages>(0, text.c_str(), Nothing, [](const Picture& picture) {
    Ink outside = InkIn(picture, RECT{0, 31, 386, 73}, [](uint32_t p) { return Alpha(p) != 0; });
    EXPECT_EQ(0, outside.count) << "above the message rectangle";
    outside = InkIn(picture, RECT{0, 113, 386, 176}, [](uint32_t p) { return Alpha(p) != 0; });
    EXPECT_EQ(0, outside.count) << "below the message rectangle";
    outside = InkIn(picture, RECT{0, 73, 18, 113}, [](uint32_t p) { return Alpha(p) != 0; });
    EXPECT_EQ(0, outside.count) << "left of the message rectangle";
    outside = InkIn(picture, RECT{371, 73, 386, 113}, [](uint32_t p) { return Alpha(p) != 0; });
    EXPECT_EQ(0, outside.count) << "right of the message rectangle";

    // Rows with ink form at least two lines of text, the last cut at the bottom.
    std::vector<bool> inked;
    for (int y = 73; y < 113; ++y) {
      inked.push_back(InkIn(picture, RECT{18, y, 371, y + 1}, [](uint32_t p) {
                        return Alpha(p) != 0;
                      }).count > 0);
    }
    int lines = 0;
    for (size_t i = 0; i < inked.size(); ++i) {
      if (inked[i] && (i == 0 || !inked[i - 1])) ++lines;
    }
    EXPECT_GE(lines, 2);
    EXPECT_TRUE(inked.back()) << "the text goes on to the rectangle's bottom edge";
  });
}

TEST(TipsPicture, ShortMessageIsCentred) {
  WithPicture<TipsDlgWithoutImages>(0, L"有新版本", Nothing, [](const Picture& picture) {
    int left = 386, right = 0;
    for (int y = 73; y < 113; ++y) {
      for (int x = 18; x < 371; ++x) {
        if (Alpha(picture.At(x, y)) == 0) continue;
        left = std::min(left, x);
        right = std::max(right, x);
      }
    }
    ASSERT_LT(left, right);
    EXPECT_NEAR((18 + 371) / 2.0, (left + right + 1) / 2.0, 3.0);
  });
}
