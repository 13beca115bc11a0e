// The page host's text rules on any bytes: the engine's text always becomes
// valid UTF-8, UTF-8 always becomes engine text without four-byte sequences,
// and valid UTF-8 survives the way there and back. Then the same bytes as a
// page: every embed found has the plug-in's type and a size in range.
#include "fuzz_input.h"
#include "page_document.h"
#include "page_text.h"

namespace {

// Shortest-form UTF-8 without surrogates.
bool IsValidUtf8(const std::string& text, bool allowFourBytes) {
  for (size_t at = 0; at < text.size();) {
    const auto lead = static_cast<unsigned char>(text[at]);
    size_t count = lead < 0x80             ? 0
                   : (lead & 0xE0) == 0xC0 ? 1
                   : (lead & 0xF0) == 0xE0 ? 2
                   : (lead & 0xF8) == 0xF0 ? 3
                                           : 9;
    if (count == 9 || at + count >= text.size() + (count ? 0 : 1)) return false;
    if (count == 3 && !allowFourBytes) return false;
    uint32_t code = count ? lead & (0x3F >> count) : lead;
    for (size_t i = 1; i <= count; ++i) {
      const auto byte = static_cast<unsigned char>(text[at + i]);
      if ((byte & 0xC0) != 0x80) return false;
      code = (code << 6) | (byte & 0x3F);
    }
    const uint32_t minimum[] = {0, 0x80, 0x800, 0x10000};
    if (code < minimum[count] || code > 0x10FFFF) return false;
    if (code >= 0xD800 && code <= 0xDFFF && allowFourBytes) return false;
    at += count + 1;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  const std::string_view rest = input.TakeRestInPlace();
  const std::string bytes(rest);
  const std::string utf8 = pagehost::EngineToUtf8(rest.data(), rest.size());
  FUZZ_CHECK(IsValidUtf8(utf8, true));
  const std::string engine = pagehost::Utf8ToEngine(rest.data(), rest.size());
  FUZZ_CHECK(IsValidUtf8(engine, false));
  if (IsValidUtf8(bytes, true))
    FUZZ_CHECK(pagehost::EngineToUtf8(engine.data(), engine.size()) == bytes);
  const int dimension = pagehost::DimensionAttribute(bytes, -1, 10000);
  FUZZ_CHECK(dimension >= -1 && dimension <= 10000);

  const pagehost::PageDocument page = pagehost::ParsePage(bytes, "application/x-test");
  for (const auto& embed : page.embeds) {
    FUZZ_CHECK(embed.width >= 0 && embed.width <= 10000);
    FUZZ_CHECK(embed.height >= 0 && embed.height <= 10000);
    bool typed = false;
    for (const auto& attribute : embed.attributes)
      typed = typed || (attribute.first == "type" &&
                        pagehost::AsciiLower(attribute.second) == "application/x-test");
    FUZZ_CHECK(typed);
  }
  return 0;
}
