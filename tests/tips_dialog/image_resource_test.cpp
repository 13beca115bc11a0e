// The dialog's PNG images as the program and the dialog load them.
#include <objidl.h>
#include <gdiplus.h>
#include <gtest/gtest.h>

#include <memory>

#include "app/image_resource.h"
#include "test_paths.h"
#include "updater_resource.h"

namespace {

struct ImageSize {
  UINT id;
  UINT width;
  UINT height;
};

const ImageSize kImages[] = {
    {IDR_TIPS_BACKGROUND, 386, 176}, {IDR_TIPS_CLOSE, 15, 15},  {IDR_TIPS_CLOSE_HOVER, 15, 15},
    {IDR_TIPS_OK, 51, 24},           {IDR_TIPS_CANCEL, 51, 24}, {IDR_TIPS_BOX, 13, 13},
    {IDR_TIPS_BOX_CHECKED, 13, 13},
};

void ExpectAllImages(HMODULE hModule) {
  for (const ImageSize& image : kImages) {
    std::unique_ptr<Gdiplus::Bitmap> bitmap = LoadImageResource(image.id, hModule);
    ASSERT_TRUE(bitmap) << "image " << image.id;
    EXPECT_EQ(image.width, bitmap->GetWidth()) << "image " << image.id;
    EXPECT_EQ(image.height, bitmap->GetHeight()) << "image " << image.id;
    EXPECT_TRUE(Gdiplus::IsAlphaPixelFormat(bitmap->GetPixelFormat())) << "image " << image.id;
  }
}

class ScopedModule {
 public:
  explicit ScopedModule(HMODULE hModule) : m_hModule(hModule) {}
  ~ScopedModule() {
    if (m_hModule) FreeLibrary(m_hModule);
  }
  HMODULE Get() const { return m_hModule; }

 private:
  HMODULE m_hModule;
};

}  // namespace

TEST(ImageResource, LoadsEveryImageWithItsSizeAndAlpha) {
  ExpectAllImages(GetModuleHandleW(nullptr));
}

TEST(ImageResource, TheUpdateProgramCarriesTheDialogAndItsImages) {
  ScopedModule program(LoadLibraryExW(testsupport::BinaryPath(L"ZumiPictavoUpdateSvr.exe").c_str(),
                                      nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  ASSERT_TRUE(program.Get());
  ExpectAllImages(program.Get());
  EXPECT_TRUE(FindResourceW(program.Get(), MAKEINTRESOURCEW(IDD_TIPS_DLG), MAKEINTRESOURCEW(5)));
}

TEST(ImageResource, MissingOrUndecodableImageGivesNothing) {
  EXPECT_FALSE(LoadImageResource(4242, GetModuleHandleW(nullptr)));
  EXPECT_FALSE(LoadImageResource(9000, GetModuleHandleW(nullptr)));
}

TEST(ImageResource, PixelsOfTheCrossesCarryTheirColours) {
  auto normal = LoadImageResource(IDR_TIPS_CLOSE, GetModuleHandleW(nullptr));
  auto hover = LoadImageResource(IDR_TIPS_CLOSE_HOVER, GetModuleHandleW(nullptr));
  ASSERT_TRUE(normal && hover);
  Gdiplus::Color colour;
  normal->GetPixel(7, 7, &colour);
  EXPECT_EQ(Gdiplus::Color::MakeARGB(255, 121, 133, 150), colour.GetValue());
  normal->GetPixel(0, 7, &colour);
  EXPECT_EQ(0, colour.GetA()) << "transparent ground";
  hover->GetPixel(7, 7, &colour);
  EXPECT_EQ(Gdiplus::Color::MakeARGB(255, 83, 179, 231), colour.GetValue());
}
