// The remembered digest in the test prefix's HKEY_CURRENT_USER.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/update_settings.h"

namespace {

constexpr wchar_t kKey[] = L"SOFTWARE\\ORVANE\\ZumiPictavoEx\\Updatesetting";
constexpr wchar_t kValue[] = L"IgnoreMD5Value";

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { RemoveKey(); }
  void TearDown() override { RemoveKey(); }

  static void RemoveKey() { RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\ORVANE"); }

  // Stores raw data of any type and size under the setting's name.
  static void StoreRaw(DWORD type, const void* data, DWORD bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE,
                                             nullptr, &key, nullptr));
    LONG status = RegSetValueExW(key, kValue, 0, type, static_cast<const BYTE*>(data), bytes);
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, status);
  }

  static void StoreText(DWORD type, const std::wstring& text) {
    StoreRaw(type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }

  // What the platform reports for the stored value through a roomy buffer.
  static DWORD QueriedBytes() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    wchar_t data[260] = {};
    DWORD bytes = sizeof data;
    RegQueryValueExW(key, kValue, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &bytes);
    RegCloseKey(key);
    return bytes;
  }

  static bool Read(std::wstring& value) {
    value = L"untouched";
    return ReadIgnoreMd5Value(value);
  }
};

}  // namespace

TEST_F(SettingsTest, WrittenValueIsReadBackAsStoredString) {
  ASSERT_TRUE(WriteIgnoreMd5Value(L"0CC175B9C0F1B6A831C399E269772661"));
  std::wstring value;
  ASSERT_TRUE(Read(value));
  EXPECT_EQ(L"0CC175B9C0F1B6A831C399E269772661", value);

  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key));
  DWORD type = 0, bytes = 0;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, kValue, nullptr, &type, nullptr, &bytes));
  RegCloseKey(key);
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
  EXPECT_EQ(33u * sizeof(wchar_t), bytes);

  ASSERT_TRUE(WriteIgnoreMd5Value(L"second"));
  ASSERT_TRUE(Read(value));
  EXPECT_EQ(L"second", value);
}

TEST_F(SettingsTest, MissingKeyOrValueIsNotFound) {
  std::wstring value;
  EXPECT_FALSE(Read(value));
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_READ,
                                           nullptr, &key, nullptr));
  RegCloseKey(key);
  EXPECT_FALSE(Read(value));
}

TEST_F(SettingsTest, ValueOf259CharactersIsReadButNot260) {
  std::wstring value;
  StoreText(REG_SZ, std::wstring(259, L'f'));
  ASSERT_TRUE(Read(value));
  EXPECT_EQ(std::wstring(259, L'f'), value);

  StoreText(REG_SZ, std::wstring(260, L'f'));
  EXPECT_FALSE(Read(value));
  StoreText(REG_SZ, std::wstring(1000, L'f'));
  EXPECT_FALSE(Read(value));
}

TEST_F(SettingsTest, ExpandableStringIsReadUnexpanded) {
  std::wstring value;
  StoreText(REG_EXPAND_SZ, L"%TEMP%\\abc");
  ASSERT_TRUE(Read(value));
  EXPECT_EQ(L"%TEMP%\\abc", value);
}

TEST_F(SettingsTest, OtherTypesAndMalformedDataAreNotFound) {
  std::wstring value;
  DWORD number = 7;
  StoreRaw(REG_DWORD, &number, sizeof number);
  EXPECT_FALSE(Read(value));

  StoreRaw(REG_BINARY, L"abc", 8);
  EXPECT_FALSE(Read(value));

  StoreRaw(REG_SZ, L"abc", 7);  // odd byte count
  EXPECT_FALSE(Read(value));

  // No terminating zero unit. Wine's RegQueryValueExW appends one (and counts
  // it) when the buffer has room; Windows hands the data over as stored.
  StoreRaw(REG_SZ, L"abcd", 8);
  if (QueriedBytes() == 8) {
    EXPECT_FALSE(Read(value));
  } else {
    ASSERT_TRUE(Read(value));
    EXPECT_EQ(L"abcd", value);
  }

  StoreRaw(REG_SZ, L"", 0);  // no data at all: the empty string
  ASSERT_TRUE(Read(value));
  EXPECT_EQ(L"", value);
}

TEST(RegistryTextTest, TextEndsAtTheFirstZeroUnit) {
  std::wstring text;
  const wchar_t data[] = {L'a', L'b', 0, L'c', 0};
  ASSERT_TRUE(ParseRegistryText(data, sizeof data, text));
  EXPECT_EQ(L"ab", text);
  EXPECT_FALSE(ParseRegistryText(data, 3, text));
  EXPECT_FALSE(ParseRegistryText(data, 8, text));
}
