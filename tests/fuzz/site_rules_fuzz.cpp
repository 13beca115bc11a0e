// The site lock's rules on any bytes, read in place: as a page address, as a
// policy entry and, as UTF-16 units, as a multi-string policy value. A
// parsed origin survives its own text; an entry allows what it names.
#include <cstring>
#include <vector>

#include "entry/site_rules.h"
#include "fuzz_input.h"

namespace {

bool SameOrigin(const sitelock::Origin& a, const sitelock::Origin& b) {
  return a.scheme == b.scheme && a.host == b.host && a.port == b.port;
}

void CheckOrigin(std::string_view text) {
  sitelock::Origin origin;
  if (!sitelock::ParseOrigin(text, &origin)) return;
  sitelock::Origin again;
  FUZZ_CHECK(sitelock::ParseOrigin(sitelock::OriginText(origin), &again));
  FUZZ_CHECK(SameOrigin(origin, again));
  const bool web = origin.scheme == "http" || origin.scheme == "https";
  FUZZ_CHECK(sitelock::OriginAllowed(&origin, {}) == (web && sitelock::IsVendorHost(origin.host)));
}

void CheckPattern(std::string_view text) {
  sitelock::OriginPattern pattern;
  if (!sitelock::ParsePattern(text, &pattern)) return;
  sitelock::Origin named = pattern.origin;
  if (pattern.kind == sitelock::OriginPattern::Kind::Subdomains) named.host = "a." + named.host;
  if (named.host.size() > 253) return;  // no host is that long
  sitelock::Origin parsed;
  if (pattern.kind != sitelock::OriginPattern::Kind::Any) {
    FUZZ_CHECK(sitelock::ParseOrigin(sitelock::OriginText(named), &parsed));
    FUZZ_CHECK(SameOrigin(named, parsed));
  }
  FUZZ_CHECK(sitelock::OriginAllowed(&parsed, {pattern}));
  FUZZ_CHECK(sitelock::OriginAllowed(nullptr, {pattern}) ==
             (pattern.kind == sitelock::OriginPattern::Kind::Any));
}

void CheckMultiString(const uint8_t* data, size_t size) {
  std::vector<char16_t> units(size / 2);
  if (!units.empty()) std::memcpy(units.data(), data, units.size() * 2);
  const std::u16string_view value(units.data(), units.size());
  size_t total = 0;
  for (std::u16string_view one : sitelock::SplitMultiString(value)) {
    FUZZ_CHECK(!one.empty() && one.find(u'\0') == std::u16string_view::npos);
    FUZZ_CHECK(one.data() >= value.data() &&
               one.data() + one.size() <= value.data() + value.size());
    total += one.size() + 1;
  }
  FUZZ_CHECK(total <= value.size() + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckOrigin(text);
  CheckPattern(text);
  CheckMultiString(data, size);
  const std::string printable = sitelock::Printable(text, 64);
  FUZZ_CHECK(printable.size() <= 64);
  for (char c : printable) FUZZ_CHECK(c >= 0x20 && c <= 0x7E);
  return 0;
}
