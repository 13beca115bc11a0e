// Digest text: the hexadecimal form of the input bytes, the comparison of
// two texts (the input's halves, read as UTF-16LE) and the function the
// first one names.
#include "app/digest_text.h"
#include "fuzz_input.h"

namespace {

char16_t LowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; }

std::u16string Widen(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

std::u16string Upper(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'a' && c <= u'z') c -= u'a' - u'A';
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string hex = DigestHex(data, size);
  FUZZ_CHECK(hex.size() == 2 * size);
  for (size_t i = 0; i < size; ++i) {
    FUZZ_CHECK(std::stoul(hex.substr(2 * i, 2), nullptr, 16) == data[i]);
    FUZZ_CHECK(hex[2 * i] < 'A' || hex[2 * i] > 'Z');
  }
  FUZZ_CHECK(IsSameDigestText(Widen(hex), Upper(Widen(hex))));

  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::u16string first = Utf16Units(bytes.substr(0, size / 2));
  std::u16string second = Utf16Units(bytes.substr(size / 2));
  bool same = first.size() == second.size();
  for (size_t i = 0; same && i < first.size(); ++i) {
    same = LowerAscii(first[i]) == LowerAscii(second[i]);
  }
  FUZZ_CHECK(IsSameDigestText(first, second) == same);
  FUZZ_CHECK(IsSameDigestText(second, first) == same);
  FUZZ_CHECK(IsSameDigestText(first, first));

  const DigestKind kind = DigestKindOf(first);
  FUZZ_CHECK((kind == DigestKind::kMd5) == (first.size() == 32));
  FUZZ_CHECK((kind == DigestKind::kSha256) == (first.size() == 64));
  return 0;
}
