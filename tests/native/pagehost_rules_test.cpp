// The page host's byte-level rules: numbers handed to the plug-in, text
// between the script engine and UTF-8, embed attributes and the page's
// elements.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "page_document.h"
#include "page_text.h"

namespace pagehost {
namespace {

TEST(PageHostRules, NumbersBecomeInt32OnlyWhenIntegralAndInRange) {
  const struct {
    double number;
    bool int32;
  } cases[] = {{0, true},
               {-0.0, false},
               {7, true},
               {-7, true},
               {2147483647.0, true},
               {2147483648.0, false},
               {-2147483648.0, true},
               {-2147483649.0, false},
               {90.7, false},
               {-2.5, false},
               {std::numeric_limits<double>::quiet_NaN(), false},
               {std::numeric_limits<double>::infinity(), false}};
  for (const auto& c : cases) {
    int32_t value = 12345;
    EXPECT_EQ(c.int32, FitsInt32(c.number, &value)) << c.number;
    if (c.int32) EXPECT_EQ(static_cast<int32_t>(c.number), value);
  }
}

TEST(PageHostRules, EngineTextAndUtf8) {
  const struct {
    std::string engine, utf8;
  } pairs[] = {
      {"plain", "plain"},
      {"Gr\xC3\xBC\xC3\x9F"
       "e",
       "Gr\xC3\xBC\xC3\x9F"
       "e"},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
      {"\xE7\x85\xA7", "\xE7\x85\xA7"},                  // U+7167
      {"\xED\xA0\xBD\xED\xB8\x80", "\xF0\x9F\x98\x80"},  // U+1F600 as a surrogate pair
  };
  for (const auto& pair : pairs) {
    EXPECT_EQ(pair.utf8, EngineToUtf8(pair.engine.data(), pair.engine.size()));
    EXPECT_EQ(pair.engine, Utf8ToEngine(pair.utf8.data(), pair.utf8.size()));
  }
  const std::string replacement = "\xEF\xBF\xBD";
  const struct {
    std::string in, out;
  } engineOnly[] = {{"\xED\xA0\xBD"
                     "x",
                     replacement + "x"},            // lone high surrogate
                    {"\xED\xB8\x80", replacement},  // lone low surrogate
                    {"\xFF"
                     "a",
                     replacement + "a"},
                    {"\xE7\x85", replacement + replacement},   // cut short
                    {"\xC0\xAF", replacement + replacement}};  // overlong
  for (const auto& c : engineOnly) EXPECT_EQ(c.out, EngineToUtf8(c.in.data(), c.in.size()));
  const std::string surrogate = "\xED\xA0\xBD";
  EXPECT_EQ(replacement, Utf8ToEngine(surrogate.data(), surrogate.size()));
}

TEST(PageHostRules, EmbedAttributes) {
  EXPECT_EQ(320, DimensionAttribute("320", 1));
  EXPECT_EQ(240, DimensionAttribute("  240px", 1));
  EXPECT_EQ(0, DimensionAttribute("0", 1));
  EXPECT_EQ(1, DimensionAttribute("", 1));
  EXPECT_EQ(1, DimensionAttribute("wide", 1));
  EXPECT_EQ(1, DimensionAttribute("99999999999999999999", 1));
  EXPECT_TRUE(MimeTypeListed("application/x-a|APPLICATION/Orvane", "application/orvane"));
  EXPECT_FALSE(MimeTypeListed("application/orvane-more", "application/orvane"));
  EXPECT_FALSE(MimeTypeListed("", ""));
}

TEST(PageHostRules, PageElementsInDocumentOrder) {
  const std::string html =
      "<!DOCTYPE html><html><head><title>T</title>\n"
      "<script src='lib.js'></script></head><body>\n"
      "<embed TYPE='Application/X-Test' id=one width=100 height='50px' data-x=1>\n"
      "<embed type='text/plain' id=other>\n"
      "<script>\nvar a = 1 < 2;\n</script>\n"
      "<script type='text/template'>skipped</script>\n"
      "<div><embed type='application/x-test' id=two></div>\n"
      "</body></html>";
  PageDocument page = ParsePage(html, "application/x-test");
  EXPECT_EQ("T", page.title);
  ASSERT_EQ(2u, page.embeds.size());
  EXPECT_EQ("one", page.embeds[0].id);
  EXPECT_EQ(100, page.embeds[0].width);
  EXPECT_EQ(50, page.embeds[0].height);
  EXPECT_EQ("type", page.embeds[0].attributes[0].first);
  EXPECT_EQ("data-x", page.embeds[0].attributes.back().first);
  EXPECT_EQ("two", page.embeds[1].id);
  EXPECT_EQ(kDefaultEmbedWidth, page.embeds[1].width);
  EXPECT_EQ(kDefaultEmbedHeight, page.embeds[1].height);
  ASSERT_EQ(2u, page.scripts.size());
  EXPECT_EQ("lib.js", page.scripts[0].src);
  EXPECT_EQ("", page.scripts[1].src);
  EXPECT_EQ("\nvar a = 1 < 2;\n", page.scripts[1].text);
  EXPECT_EQ(5, page.scripts[1].line);
}

}  // namespace
}  // namespace pagehost
