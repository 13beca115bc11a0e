#include "app/digest_text.h"

namespace {

char16_t AsciiLower(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

constexpr std::size_t kMd5Digits = 32;
constexpr std::size_t kSha256Digits = 64;

}  // namespace

DigestKind DigestKindOf(std::u16string_view expected) {
  if (expected.size() == kMd5Digits) return DigestKind::kMd5;
  if (expected.size() == kSha256Digits) return DigestKind::kSha256;
  return DigestKind::kNone;
}

std::string DigestHex(const unsigned char* pDigest, std::size_t nBytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  if (pDigest == nullptr) return hex;
  hex.reserve(nBytes * 2);
  for (std::size_t i = 0; i < nBytes; ++i) {
    hex += kDigits[pDigest[i] >> 4];
    hex += kDigits[pDigest[i] & 0x0F];
  }
  return hex;
}

bool IsSameDigestText(std::u16string_view first, std::u16string_view second) {
  if (first.size() != second.size()) return false;
  for (std::size_t i = 0; i < first.size(); ++i) {
    if (AsciiLower(first[i]) != AsciiLower(second[i])) return false;
  }
  return true;
}
