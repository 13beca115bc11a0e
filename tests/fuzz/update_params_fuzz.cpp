// The update service's parameter string (UTF-16LE), against a plain split
// at every "|" with the empty pieces dropped.
#include <vector>

#include "app/update_params.h"
#include "fuzz_input.h"

namespace {

std::vector<std::u16string> NonEmptyPieces(const std::u16string& text) {
  std::vector<std::u16string> pieces(1);
  for (char16_t c : text) {
    if (c == u'|') {
      if (!pieces.back().empty()) pieces.emplace_back();
    } else {
      pieces.back() += c;
    }
  }
  if (pieces.back().empty()) pieces.pop_back();
  return pieces;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string text = Utf16Units(std::string(reinterpret_cast<const char*>(data), size));
  UpdateParams params;
  bool ok = ParseUpdateParams(text, params);
  std::vector<std::u16string> pieces = NonEmptyPieces(text);
  FUZZ_CHECK(ok == (pieces.size() >= 5));
  if (!ok) {
    FUZZ_CHECK(params.strUrl.empty() && params.strMd5.empty() && !params.bForce);
    return 0;
  }
  FUZZ_CHECK(params.strUrl == pieces[0]);
  FUZZ_CHECK(params.strMd5 == pieces[1]);
  FUZZ_CHECK(params.strTipText == pieces[3]);
  FUZZ_CHECK(params.bForce == (pieces[4] == u"1"));
  return 0;
}
