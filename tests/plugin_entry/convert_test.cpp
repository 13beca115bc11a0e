// The conversion rules between script values and the control's COM values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <string>

#include "entry/np_convert.h"
#include "script_values.h"

namespace {

NPVariant Make(NPVariantType type) {
  NPVariant v = {};
  v.type = type;
  return v;
}

std::wstring BstrText(BSTR b) { return std::wstring(b, SysStringLen(b)); }

std::map<void*, uint32_t> g_allocations;
void* LedgerAlloc(uint32_t size) {
  void* p = malloc(size);
  g_allocations[p] = size;
  return p;
}
void* FailingAlloc(uint32_t) { return nullptr; }

TEST(NumberIn, AcceptsBoolIntAndDoubleOnly) {
  NPVariant v;
  BOOLEAN_TO_NPVARIANT(true, v);
  EXPECT_TRUE(npconv::AcceptsNumber(v));
  EXPECT_EQ(1, npconv::NumberIn(v));
  BOOLEAN_TO_NPVARIANT(false, v);
  EXPECT_EQ(0, npconv::NumberIn(v));
  INT32_TO_NPVARIANT(-7, v);
  EXPECT_EQ(-7, npconv::NumberIn(v));
  EXPECT_EQ(2, npconv::NumberIn(npbrowser::Double(2.9)));
  EXPECT_EQ(-2, npconv::NumberIn(npbrowser::Double(-2.9)));
  EXPECT_EQ(90, npconv::NumberIn(npbrowser::Double(90.7)));
  EXPECT_FALSE(npconv::AcceptsNumber(npbrowser::String("2")));
  EXPECT_FALSE(npconv::AcceptsNumber(Make(NPVariantType_Void)));
  EXPECT_FALSE(npconv::AcceptsNumber(Make(NPVariantType_Null)));
  EXPECT_FALSE(npconv::AcceptsNumber(Make(NPVariantType_Object)));
}

TEST(NumberIn, SaturatesOutsideTheIntegerRange) {
  EXPECT_EQ(2147483647, npconv::NumberIn(npbrowser::Double(1e20)));
  EXPECT_EQ(2147483647, npconv::NumberIn(npbrowser::Double(2147483647.5)));
  EXPECT_EQ(2147483647,
            npconv::NumberIn(npbrowser::Double(std::numeric_limits<double>::infinity())));
  EXPECT_EQ(-2147483647 - 1, npconv::NumberIn(npbrowser::Double(-1e20)));
  EXPECT_EQ(-2147483647 - 1,
            npconv::NumberIn(npbrowser::Double(-std::numeric_limits<double>::infinity())));
  EXPECT_EQ(-2147483647, npconv::NumberIn(npbrowser::Double(-2147483647.9)));
  EXPECT_EQ(0, npconv::NumberIn(npbrowser::Double(std::nan(""))));
}

TEST(BoolIn, AcceptsOnlyBool) {
  NPVariant v;
  BOOLEAN_TO_NPVARIANT(true, v);
  EXPECT_TRUE(npconv::AcceptsBool(v));
  EXPECT_EQ(1, npconv::BoolIn(v));
  BOOLEAN_TO_NPVARIANT(false, v);
  EXPECT_EQ(0, npconv::BoolIn(v));
  INT32_TO_NPVARIANT(1, v);
  EXPECT_FALSE(npconv::AcceptsBool(v));
  EXPECT_FALSE(npconv::AcceptsBool(npbrowser::Double(1.0)));
  EXPECT_FALSE(npconv::AcceptsBool(npbrowser::String("true")));
}

TEST(UnknownType, RefusedByEveryRule) {
  NPVariant v = Make(static_cast<NPVariantType>(7));
  EXPECT_FALSE(npconv::AcceptsNumber(v));
  EXPECT_FALSE(npconv::AcceptsBool(v));
  EXPECT_FALSE(npconv::AcceptsString(v));
  v.type = static_cast<NPVariantType>(-1);
  EXPECT_FALSE(npconv::AcceptsNumber(v));
  EXPECT_FALSE(npconv::AcceptsBool(v));
  EXPECT_FALSE(npconv::AcceptsString(v));
}

TEST(StringIn, Utf8IsDecodedAndCutAtNul) {
  EXPECT_TRUE(npconv::AcceptsString(npbrowser::String("x")));
  EXPECT_FALSE(npconv::AcceptsString(Make(NPVariantType_Int32)));
  BSTR b = npconv::StringIn(npbrowser::String("caf\xC3\xA9 \xE4\xB8\xAD"));
  EXPECT_EQ(std::wstring(L"caf\u00e9 \u4e2d"), BstrText(b));
  SysFreeString(b);
  b = npconv::StringIn(npbrowser::String(std::string("ab\0cd", 5)));
  EXPECT_EQ(std::wstring(L"ab"), BstrText(b));
  SysFreeString(b);
  // The NUL as the last counted byte ends the text there too.
  for (size_t bytes : {4u, 300u}) {
    std::string text(bytes - 1, 'a');
    text.push_back('\0');
    b = npconv::StringIn(npbrowser::String(text));
    EXPECT_EQ(std::wstring(bytes - 1, L'a'), BstrText(b)) << bytes;
    SysFreeString(b);
    EXPECT_EQ(std::wstring(bytes - 1, L'a'),
              npconv::StringInText(npbrowser::String(text).value.stringValue));
  }
  b = npconv::StringIn(npbrowser::String(""));
  ASSERT_NE(nullptr, b);
  EXPECT_EQ(0u, SysStringLen(b));
  SysFreeString(b);
}

TEST(StringIn, NeverReadsPastTheLength) {
  // The bytes after UTF8Length are not part of the string.
  const char text[] = "abcdef";
  NPVariant v;
  STRINGN_TO_NPVARIANT(text, 3, v);
  BSTR b = npconv::StringIn(v);
  EXPECT_EQ(std::wstring(L"abc"), BstrText(b));
  SysFreeString(b);
  // Invalid UTF-8, including a sequence cut short at the end.
  std::string bad =
      "a\xFF\xFE"
      "b\xC3";
  b = npconv::StringIn(npbrowser::String(bad));
  ASSERT_NE(nullptr, b);
  std::wstring decoded = BstrText(b);
  EXPECT_EQ(L'a', decoded.front());
  EXPECT_NE(std::wstring::npos, decoded.find(L'b'));
  SysFreeString(b);
}

TEST(StringIn, TextsAroundTheShortTextBufferDecodeWhole) {
  for (size_t bytes : {255u, 256u, 257u, 258u}) {
    // Two-byte characters, with an ASCII letter to reach odd lengths.
    std::string text;
    std::wstring wide;
    while (text.size() + 2 <= bytes) {
      text += "\xC3\xA9";
      wide += L'\u00E9';
    }
    if (text.size() < bytes) {
      text += 'x';
      wide += L'x';
    }
    BSTR b = npconv::StringIn(npbrowser::String(text));
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(wide, BstrText(b)) << bytes;
    SysFreeString(b);
  }
}

TEST(StringIn, OneMegabyte) {
  std::string big(1 << 20, 'x');
  big[12345] = 'y';
  BSTR b = npconv::StringIn(npbrowser::String(big));
  ASSERT_EQ(static_cast<UINT>(1 << 20), SysStringLen(b));
  EXPECT_EQ(L'y', b[12345]);
  SysFreeString(b);
}

TEST(Out, IntAndBool) {
  NPVariant v = {};
  npconv::IntOut(-1, &v);
  EXPECT_EQ(NPVariantType_Int32, v.type);
  EXPECT_EQ(-1, v.value.intValue);
  npconv::BoolOut(2, &v);
  EXPECT_EQ(NPVariantType_Bool, v.type);
  EXPECT_TRUE(v.value.boolValue);
  npconv::BoolOut(0, &v);
  EXPECT_FALSE(v.value.boolValue);
  npconv::BoolOut(-1, &v);  // VARIANT_TRUE
  EXPECT_TRUE(v.value.boolValue);
}

TEST(Out, StringIsUtf8InABrowserBuffer) {
  NPVariant v = {};
  ASSERT_TRUE(npconv::StringOut(L"key \u00e9", LedgerAlloc, &v));
  EXPECT_EQ(NPVariantType_String, v.type);
  EXPECT_EQ(6u, v.value.stringValue.UTF8Length);
  EXPECT_EQ(std::string("key \xC3\xA9"), std::string(v.value.stringValue.UTF8Characters, 6));
  EXPECT_EQ('\0', v.value.stringValue.UTF8Characters[6]);
  EXPECT_EQ(7u, g_allocations[const_cast<char*>(v.value.stringValue.UTF8Characters)]);

  ASSERT_TRUE(npconv::StringOut(nullptr, LedgerAlloc, &v));
  EXPECT_EQ(0u, v.value.stringValue.UTF8Length);
  EXPECT_EQ('\0', v.value.stringValue.UTF8Characters[0]);
  BSTR withNul = SysAllocStringLen(L"ab\0cd", 5);
  ASSERT_TRUE(npconv::StringOut(withNul, LedgerAlloc, &v));
  EXPECT_EQ(2u, v.value.stringValue.UTF8Length);
  SysFreeString(withNul);

  NPVariant untouched = {};
  EXPECT_FALSE(npconv::StringOut(L"x", FailingAlloc, &untouched));
  EXPECT_EQ(NPVariantType_Void, untouched.type);
  // Three-byte units, short and long: whole, terminated, in a buffer of
  // exactly their size.
  for (size_t units : {1u, 257u, 100000u}) {
    const std::wstring wide(units, L'\u4e2d');
    std::string utf8;
    for (size_t i = 0; i < units; ++i) utf8 += "\xE4\xB8\xAD";
    v = {};
    ASSERT_TRUE(npconv::StringOut(wide.c_str(), LedgerAlloc, &v)) << units;
    const NPString& text = v.value.stringValue;
    EXPECT_EQ(utf8, std::string(text.UTF8Characters, text.UTF8Length)) << units;
    EXPECT_EQ('\0', text.UTF8Characters[text.UTF8Length]);
    EXPECT_EQ(utf8.size() + 1, g_allocations[const_cast<char*>(text.UTF8Characters)]);
  }
  for (auto& entry : g_allocations) free(entry.first);
  g_allocations.clear();
}

}  // namespace
