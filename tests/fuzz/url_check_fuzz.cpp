// URL escaping and the vendor-host match. The input is both the UTF-8 bytes
// of a URL and, read as UTF-16LE, a host name.
#include <cctype>

#include "app/url_text.h"
#include "fuzz_input.h"

namespace {

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Undoes one level of escaping; the escaped text must be printable ASCII
// with every '%' opening a two-digit sequence.
std::string Unescape(const std::u16string& escaped) {
  std::string bytes;
  for (size_t i = 0; i < escaped.size(); ++i) {
    char16_t c = escaped[i];
    FUZZ_CHECK(c >= 0x21 && c <= 0x7F);
    if (c != u'%') {
      bytes += static_cast<char>(c);
      continue;
    }
    FUZZ_CHECK(i + 2 < escaped.size());
    int high = HexValue(escaped[i + 1]), low = HexValue(escaped[i + 2]);
    FUZZ_CHECK(high >= 0 && low >= 0);
    bytes += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return bytes;
}

bool ReferenceVendorHost(const std::u16string& host) {
  std::u16string lowered = host;
  for (char16_t& c : lowered) {
    if (c < 0x80) c = static_cast<char16_t>(std::tolower(static_cast<int>(c)));
  }
  for (std::u16string suffix : {u".orvane.com", u".zumipictavo.com"}) {
    if (lowered.size() >= suffix.size() &&
        lowered.compare(lowered.size() - suffix.size(), suffix.size(), suffix) == 0) {
      return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string url(reinterpret_cast<const char*>(data), size);
  std::u16string escaped = EscapeUtf8Bytes(url);
  FUZZ_CHECK(Unescape(escaped) == url);

  std::u16string host = Utf16Units(url);
  FUZZ_CHECK(IsVendorHost(host) == ReferenceVendorHost(host));
  return 0;
}
