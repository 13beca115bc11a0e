// The script bridge's value rules and bag integers, case by case.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "entry/script_value_rules.h"

namespace {

struct BagCase {
  std::string text;
  int32_t value;
};

class BagInteger : public testing::TestWithParam<BagCase> {};

TEST_P(BagInteger, ParsesLikeAtolAndSaturates) {
  const BagCase& c = GetParam();
  EXPECT_EQ(c.value, npconv::ParseBagInteger(c.text.data(), c.text.size()));
}

INSTANTIATE_TEST_SUITE_P(Texts, BagInteger,
                         testing::Values(BagCase{"20", 20}, BagCase{"20abc", 20}, BagCase{"abc", 0},
                                         BagCase{"", 0}, BagCase{" \t\n\v\f\r-42", -42},
                                         BagCase{"+7", 7}, BagCase{"- 7", 0}, BagCase{"--7", 0},
                                         BagCase{"0x10", 0}, BagCase{std::string("12\0003", 4), 12},
                                         BagCase{"2147483647", 2147483647},
                                         BagCase{"2147483648", 2147483647},
                                         BagCase{"-2147483648", -2147483647 - 1},
                                         BagCase{"-2147483649", -2147483647 - 1},
                                         BagCase{"000000000000000000000000000012", 12},
                                         BagCase{"99999999999999999999999", 2147483647}));

TEST(BagInteger, ReadsOnlyTheGivenLength) {
  EXPECT_EQ(12, npconv::ParseBagInteger("1234", 2));
  EXPECT_EQ(0, npconv::ParseBagInteger(nullptr, 5));
}

struct NumberCase {
  double value;
  int32_t expected;
};

class NumberIn : public testing::TestWithParam<NumberCase> {};

TEST_P(NumberIn, DoubleTruncatesTowardZeroAndSaturates) {
  NPVariant v;
  DOUBLE_TO_NPVARIANT(GetParam().value, v);
  EXPECT_EQ(GetParam().expected, npconv::NumberIn(v));
}

constexpr double kInf = std::numeric_limits<double>::infinity();
INSTANTIATE_TEST_SUITE_P(
    Doubles, NumberIn,
    testing::Values(NumberCase{2.9, 2}, NumberCase{-2.9, -2}, NumberCase{-0.5, 0},
                    NumberCase{2147483646.9, 2147483646}, NumberCase{2147483647.5, 2147483647},
                    NumberCase{-2147483648.9, -2147483647 - 1}, NumberCase{1e300, 2147483647},
                    NumberCase{kInf, 2147483647}, NumberCase{-kInf, -2147483647 - 1},
                    NumberCase{std::nan(""), 0}));

void* Alloc(uint32_t size) { return std::malloc(size); }
void* NoAlloc(uint32_t) { return nullptr; }

TEST(StringOut, CopiesTheBytesAndTerminates) {
  NPVariant v = {};
  ASSERT_TRUE(npconv::StringOutUtf8("ab\xC3\xA9", 4, Alloc, &v));
  EXPECT_EQ(NPVariantType_String, v.type);
  EXPECT_EQ(4u, v.value.stringValue.UTF8Length);
  EXPECT_EQ(std::string("ab\xC3\xA9", 5), std::string(v.value.stringValue.UTF8Characters, 5));
  std::free(const_cast<char*>(v.value.stringValue.UTF8Characters));

  ASSERT_TRUE(npconv::StringOutUtf8(nullptr, 0, Alloc, &v));
  EXPECT_EQ(0u, v.value.stringValue.UTF8Length);
  EXPECT_EQ('\0', v.value.stringValue.UTF8Characters[0]);
  std::free(const_cast<char*>(v.value.stringValue.UTF8Characters));

  NPVariant untouched = {};
  EXPECT_FALSE(npconv::StringOutUtf8("x", 1, NoAlloc, &untouched));
  EXPECT_FALSE(npconv::StringOutUtf8("x", 1, nullptr, &untouched));
  EXPECT_EQ(NPVariantType_Void, untouched.type);
}

TEST(StringIn, TextEndsAtTheFirstNulWithinTheLength) {
  NPString text = {"ab\0cd", 5};
  EXPECT_EQ(2u, npconv::Utf8BytesBeforeNul(text));
  text = {"abcdef", 3};
  EXPECT_EQ(3u, npconv::Utf8BytesBeforeNul(text));
  text = {"abc\0", 4};  // the NUL as the last counted byte
  EXPECT_EQ(3u, npconv::Utf8BytesBeforeNul(text));
  text = {nullptr, 4};
  EXPECT_EQ(0u, npconv::Utf8BytesBeforeNul(text));
}

}  // namespace
