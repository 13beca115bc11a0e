#include "app/url_text.h"

namespace {

// The maker's registered domains, each with its leading dot, in lowercase.
constexpr std::u16string_view kVendorSuffixes[] = {u".orvane.com", u".zumipictavo.com"};

char16_t AsciiLower(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// Compared over the suffix's full length; the suffix is lowercase already.
bool EndsWithLowered(std::u16string_view text, std::u16string_view suffix) {
  if (text.size() < suffix.size()) return false;
  const std::size_t start = text.size() - suffix.size();
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    if (AsciiLower(text[start + i]) != suffix[i]) return false;
  }
  return true;
}

}  // namespace

std::u16string EscapeUtf8Bytes(std::string_view utf8) {
  static const char16_t kHexDigits[] = u"0123456789ABCDEF";
  std::u16string escaped;
  escaped.reserve(utf8.size() * 3);
  for (char c : utf8) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x21 || byte >= 0x80 || byte == '%') {
      escaped += u'%';
      escaped += kHexDigits[byte >> 4];
      escaped += kHexDigits[byte & 0x0F];
    } else {
      escaped += static_cast<char16_t>(byte);
    }
  }
  return escaped;
}

bool IsVendorHost(std::u16string_view host) {
  for (std::u16string_view suffix : kVendorSuffixes) {
    if (EndsWithLowered(host, suffix)) return true;
  }
  return false;
}
