// Update URLs against the vendor domains.
#include <gtest/gtest.h>

#include <string>

#include "app/url_check.h"

namespace {

struct UrlCase {
  const wchar_t* url;
  bool vendor;
};

const UrlCase kCases[] = {
    {L"http://update.orvane.com/ZumiPhotoUpload.exe", true},
    {L"http://DL.ZUMIPICTAVO.COM/setup/ZumiPhotoUpload.exe", true},
    {L"http://Cdn.Update.Orvane.Com:8080/a.exe", true},
    {L"http://update.orvane.com/setup dir/new file.exe", true},
    {L"http://update.orvane.com/\x30d5\x30a1\x30a4\x30eb.exe", true},
    {L"http://update.orvane.com/a%20b.exe", true},
    {L"http://orvane.com/a.exe", false},
    {L"http://zumipictavo.com/a.exe", false},
    {L"http://evilorvane.com/a.exe", false},
    {L"http://update.orvane.com.evil.net/a.exe", false},
    {L"http://update.orvane.co/a.exe", false},
    {L"http://update.orvane.community/a.exe", false},
    {L"https://update.orvane.com/a.exe", false},
    {L"ftp://update.orvane.com/a.exe", false},
    {L"update.orvane.com/a.exe", false},
    {L"", false},
};

}  // namespace

TEST(UrlCheckTest, VendorUrlTable) {
  for (const UrlCase& c : kCases) {
    EXPECT_EQ(c.vendor, IsVendorUrl(c.url)) << std::string(c.url, c.url + wcslen(c.url));
  }
}

TEST(UrlCheckTest, EscapingCoversBlanksControlsPercentAndNonAscii) {
  EXPECT_EQ(L"http://a.orvane.com/x%20y%25z%C3%A9%09!~",
            EscapeUrl(L"http://a.orvane.com/x y%z\x00e9\t!~"));
  EXPECT_EQ(L"%E3%83%95", EscapeUrl(L"\x30d5"));
  EXPECT_EQ(L"%2520", EscapeUrl(L"%20"));
  EXPECT_EQ(L"", EscapeUrl(L""));
}

TEST(UrlCheckTest, SplitDecodesExactlyOneLevel) {
  std::wstring host, path;
  uint16_t port = 0;
  ASSERT_TRUE(CrackHttpUrl(L"http://Update.Orvane.com/setup dir/a%20b.exe", host, path, port));
  EXPECT_EQ(L"Update.Orvane.com", host);
  EXPECT_EQ(L"/setup dir/a%20b.exe", path);
  EXPECT_EQ(80, port);

  ASSERT_TRUE(CrackHttpUrl(L"http://update.orvane.com:8080/x", host, path, port));
  EXPECT_EQ(8080, port);
  EXPECT_EQ(L"/x", path);
}

TEST(UrlCheckTest, OverLongUrlsAreRefused) {
  std::wstring longHost = L"http://" + std::wstring(1100, L'h') + L".orvane.com/a.exe";
  EXPECT_FALSE(IsVendorUrl(longHost));
  std::wstring longPath = L"http://update.orvane.com/" + std::wstring(1100, L'p');
  EXPECT_FALSE(IsVendorUrl(longPath));
  // Fits before escaping, not after: every blank becomes three units.
  std::wstring longEscaped = L"http://update.orvane.com/" + std::wstring(800, L' ');
  EXPECT_FALSE(IsVendorUrl(longEscaped));
  std::wstring longUrl = L"http://update.orvane.com/a?" + std::wstring(3000, L'q');
  EXPECT_FALSE(IsVendorUrl(longUrl));

  std::wstring host, path;
  uint16_t port = 0;
  std::wstring justFits = L"http://update.orvane.com/" + std::wstring(1000, L'p');
  ASSERT_TRUE(CrackHttpUrl(justFits, host, path, port));
  EXPECT_EQ(1001u, path.size());
}
