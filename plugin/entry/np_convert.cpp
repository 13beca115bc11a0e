#include "entry/np_convert.h"

#include <limits.h>
#include <string.h>

namespace npconv {

namespace {

// The rule counts in size_t; the platform conversion takes an int.
int BytesBeforeNul(const NPString& text) { return static_cast<int>(Utf8BytesBeforeNul(text)); }

}  // namespace

std::wstring StringInText(const NPString& text) {
  const int bytes = BytesBeforeNul(text);
  if (bytes <= 0) return std::wstring();
  int chars = MultiByteToWideChar(CP_UTF8, 0, text.UTF8Characters, bytes, nullptr, 0);
  if (chars <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(chars), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.UTF8Characters, bytes, &wide[0], chars);
  return wide;
}

// Every control call with a string argument comes through here: the text
// is decoded once, straight into the BSTR the control receives. Mostly it is
// ASCII, one unit per byte without the platform conversion.
BSTR StringIn(const NPVariant& value) {
  const NPString& text = value.value.stringValue;
  const int bytes = BytesBeforeNul(text);
  if (bytes <= 0) return SysAllocStringLen(L"", 0);
  if (IsAscii(text.UTF8Characters, static_cast<size_t>(bytes))) {
    BSTR wide = SysAllocStringLen(nullptr, static_cast<UINT>(bytes));
    if (wide)
      WidenAscii(text.UTF8Characters, static_cast<size_t>(bytes),
                 reinterpret_cast<char16_t*>(wide));
    return wide;
  }
  const int chars = MultiByteToWideChar(CP_UTF8, 0, text.UTF8Characters, bytes, nullptr, 0);
  if (chars <= 0) return SysAllocStringLen(L"", 0);
  BSTR wide = SysAllocStringLen(nullptr, static_cast<UINT>(chars));
  if (wide) MultiByteToWideChar(CP_UTF8, 0, text.UTF8Characters, bytes, wide, chars);
  return wide;
}

std::string ToUtf8(const wchar_t* text, size_t length) {
  if (!text || length == 0) return std::string();
  int bytes =
      WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), &utf8[0], bytes, nullptr,
                      nullptr);
  return utf8;
}

// Every string handed to script comes through here (method results and
// event arguments): measured, then encoded once straight into a browser
// buffer of its size, its ASCII start without the platform conversion.
bool StringOut(const wchar_t* text, MemAllocFn alloc, NPVariant* result) {
  const size_t chars = text ? wcslen(text) : 0;
  const auto* units = reinterpret_cast<const char16_t*>(text);
  const size_t room = Utf8BytesOfUtf16(units, chars);
  if (room == 0 || room >= INT_MAX) return StringOutUtf8("", 0, alloc, result);
  char* buffer = alloc ? static_cast<char*>(alloc(static_cast<uint32_t>(room) + 1)) : nullptr;
  if (!buffer) return false;
  const size_t ascii = NarrowAsciiPrefix(units, chars, buffer);
  size_t bytes = ascii;
  if (ascii < chars) {
    const int rest =
        WideCharToMultiByte(CP_UTF8, 0, text + ascii, static_cast<int>(chars - ascii),
                            buffer + ascii, static_cast<int>(room - ascii), nullptr, nullptr);
    bytes += rest > 0 ? static_cast<size_t>(rest) : 0;
  }
  buffer[bytes] = '\0';
  STRINGN_TO_NPVARIANT(buffer, static_cast<uint32_t>(bytes), *result);
  return true;
}

}  // namespace npconv
