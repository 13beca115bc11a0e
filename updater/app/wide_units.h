// The update service's wide strings are UTF-16, as its platform-free rules
// take them: these copy between the two string types unit by unit.
#pragma once

#include <string>
#include <string_view>

#if defined(_WIN32)
static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide strings are UTF-16");
#endif

inline std::u16string ToU16(std::wstring_view text) {
  return std::u16string(text.begin(), text.end());
}

inline std::wstring FromU16(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}
