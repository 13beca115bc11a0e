#include "app/update_params.h"

namespace {

constexpr char16_t kSeparator = u'|';
constexpr std::size_t kFieldCount = 5;

// The next field at or after `pos`, skipping separators; empty at the end.
std::u16string_view NextField(std::u16string_view text, std::size_t& pos) {
  while (pos < text.size() && text[pos] == kSeparator) ++pos;
  const std::size_t start = pos;
  while (pos < text.size() && text[pos] != kSeparator) ++pos;
  return text.substr(start, pos - start);
}

}  // namespace

bool ParseUpdateParams(std::u16string_view text, UpdateParams& params) {
  std::u16string_view fields[kFieldCount];
  std::size_t pos = 0;
  for (std::u16string_view& field : fields) {
    field = NextField(text, pos);
    if (field.empty()) return false;
  }
  params.strUrl.assign(fields[0]);
  params.strMd5.assign(fields[1]);
  params.strTipText.assign(fields[3]);
  params.bForce = fields[4] == u"1";
  return true;
}
