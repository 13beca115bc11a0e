// The script bridge's value rules and bag integers, case by case.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "entry/script_value_rules.h"
#include "entry/site_rules.h"

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

TEST(StringIn, AsciiTextWidensOneUnitPerByte) {
  const struct {
    std::string text;
    bool ascii;
  } cases[] = {{"", true},          {"someone@example", true},
               {"\x01~\x7F", true}, {"caf\xC3\xA9", false},
               {"\x80", false},     {std::string(300, 'a') + "\xFF", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.ascii, npconv::IsAscii(c.text.data(), c.text.size())) << c.text;
    if (!c.ascii) continue;
    std::u16string units(c.text.size(), u'?');
    npconv::WidenAscii(c.text.data(), c.text.size(), &units[0]);
    EXPECT_EQ(std::u16string(c.text.begin(), c.text.end()), units) << c.text;
  }
}

TEST(StringOut, Utf8LengthIsExactForValidTextAndNeverTooSmall) {
  const struct {
    std::u16string units;
    size_t bytes;
  } cases[] = {{u"", 0},
               {u"key \u00e9", 6},
               {u"\u07ff\u0800\uffff", 2 + 3 + 3},
               {u"\U0001F600", 4},                  // a surrogate pair
               {u"a\xD83D", 1 + 3},                 // its first half alone, at the end
               {std::u16string(1, u'\xDE00'), 3}};  // a second half alone
  for (const auto& c : cases)
    EXPECT_EQ(c.bytes, npconv::Utf8BytesOfUtf16(c.units.data(), c.units.size())) << c.bytes;
}

TEST(StringOut, AsciiStartNarrowsOneBytePerUnit) {
  const struct {
    std::u16string units;
    size_t ascii;
  } cases[] = {{u"", 0}, {u"key", 3}, {u"\x7F", 1}, {u"ab\u00e9c", 2}, {u"\u4e2d", 0}};
  for (const auto& c : cases) {
    std::string bytes(c.units.size(), '?');
    ASSERT_EQ(c.ascii, npconv::NarrowAsciiPrefix(c.units.data(), c.units.size(), &bytes[0]));
    EXPECT_EQ(std::string(c.units.begin(), c.units.begin() + c.ascii), bytes.substr(0, c.ascii));
  }
}

// A page's address (null: the browser told none), the policy entries, the
// origin that messages name ("" when the text names none) and the verdict.
struct SiteCase {
  const char* page;
  std::vector<std::string> policy;
  std::string name;
  bool allowed;
};

class SiteLock : public testing::TestWithParam<SiteCase> {};

TEST_P(SiteLock, OriginAgainstMakerAndPolicy) {
  const SiteCase& c = GetParam();
  std::vector<sitelock::OriginPattern> policy;
  for (const std::string& entry : c.policy) {
    sitelock::OriginPattern pattern;
    if (sitelock::ParsePattern(entry, &pattern)) policy.push_back(pattern);
  }
  sitelock::Origin origin;
  const bool parsed = c.page && sitelock::ParseOrigin(c.page, &origin);
  EXPECT_EQ(c.name, parsed ? sitelock::OriginText(origin) : "");
  EXPECT_EQ(c.allowed, sitelock::OriginAllowed(parsed ? &origin : nullptr, policy));
}

const std::vector<std::string> kNone;
INSTANTIATE_TEST_SUITE_P(
    Pages, SiteLock,
    testing::Values(
        // The maker's domains and their subdomains, any letter case and port.
        SiteCase{"https://orvane.com", kNone, "https://orvane.com", true},
        SiteCase{"HTTP://Photos.ZumiPictavo.COM:80/up.html?x#y", kNone,
                 "http://photos.zumipictavo.com", true},
        SiteCase{"https://a.b.orvane.com:8443", kNone, "https://a.b.orvane.com:8443", true},
        SiteCase{"https://evilorvane.com", kNone, "https://evilorvane.com", false},
        SiteCase{"https://orvane.com.example.net", kNone, "https://orvane.com.example.net", false},
        SiteCase{"ftp://orvane.com", kNone, "", false},
        SiteCase{"https://user@orvane.com/", kNone, "", false},
        SiteCase{"https://orvane.com:0", kNone, "", false},
        SiteCase{"https://orvane.com:65536", kNone, "", false},
        SiteCase{"https://orvane.com:", kNone, "", false},
        SiteCase{"https://or vane.com", kNone, "", false},
        SiteCase{"https://orvane..com", kNone, "", false}, SiteCase{"null", kNone, "", false},
        SiteCase{"", kNone, "", false}, SiteCase{nullptr, kNone, "", false},
        SiteCase{"file:///C:/pages/up.html", kNone, "file://", false},
        // Exact entries: scheme, host and port, default ports normalised.
        SiteCase{"https://photos.example.com:443",
                 {"HTTPS://Photos.Example.com/"},
                 "https://photos.example.com",
                 true},
        SiteCase{"http://photos.example.com",
                 {"https://photos.example.com"},
                 "http://photos.example.com",
                 false},
        SiteCase{
            "http://localhost:8080/x", {" http://localhost:8080 "}, "http://localhost:8080", true},
        SiteCase{
            "http://localhost:8081", {"http://localhost:8080"}, "http://localhost:8081", false},
        SiteCase{"http://[::1]:8080/", {"http://[::1]:8080"}, "http://[::1]:8080", true},
        SiteCase{"file:///Z:/up.html", {"file://"}, "file://", true},
        // Subdomain patterns cover subdomains only, with scheme and port.
        SiteCase{"https://a.photos.example.com",
                 {"https://*.example.com"},
                 "https://a.photos.example.com",
                 true},
        SiteCase{"https://example.com", {"https://*.example.com"}, "https://example.com", false},
        SiteCase{
            "https://badexample.com", {"https://*.example.com"}, "https://badexample.com", false},
        SiteCase{"http://a.example.com", {"https://*.example.com"}, "http://a.example.com", false},
        // "*" allows every page, even one without an origin.
        SiteCase{"https://photos.example.net", {"*"}, "https://photos.example.net", true},
        SiteCase{nullptr, {" * "}, "", true},
        // Malformed entries count for nothing.
        SiteCase{
            "https://photos.example.net",
            {"https://photos.example.net/path", "photos.example.net", "https://*.net",
             "https://a.*.example.net", "*.example.net", "https://photos.example.net:99999",
             "https://u@photos.example.net", "file://host", "ftp://photos.example.net", "**", ""},
            "https://photos.example.net",
            false},
        SiteCase{"https://photos.example.net",
                 {"nonsense", "https://photos.example.net"},
                 "https://photos.example.net",
                 true}));

TEST(SiteLock, PolicyStringsOfAMultiStringValue) {
  using Strings = std::vector<std::u16string_view>;
  EXPECT_EQ((Strings{u"a", u"bc"}),
            sitelock::SplitMultiString(std::u16string_view(u"a\0bc\0\0", 6)));
  EXPECT_EQ((Strings{u"a", u"bc"}), sitelock::SplitMultiString(std::u16string_view(u"a\0bc", 4)));
  EXPECT_EQ((Strings{u"a"}), sitelock::SplitMultiString(std::u16string_view(u"a\0\0b", 4)));
  EXPECT_EQ(Strings{}, sitelock::SplitMultiString(u""));
  EXPECT_EQ("a?b??", sitelock::Printable("a\nb\xC3\xA9"));
  EXPECT_EQ("ab", sitelock::Printable("abc", 2));
}

}  // namespace
