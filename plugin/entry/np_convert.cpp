#include "entry/np_convert.h"

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

// Every control call with a string argument comes through here: short texts
// are decoded in one pass through a stack buffer (UTF-8 never has fewer bytes
// than UTF-16 units), longer ones straight into the BSTR.
BSTR StringIn(const NPVariant& value) {
  const NPString& text = value.value.stringValue;
  const int bytes = BytesBeforeNul(text);
  if (bytes <= 0) return SysAllocStringLen(L"", 0);
  wchar_t local[256];
  if (bytes <= 256) {
    const int chars = MultiByteToWideChar(CP_UTF8, 0, text.UTF8Characters, bytes, local, 256);
    return SysAllocStringLen(local, static_cast<UINT>(chars > 0 ? chars : 0));
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
// event arguments): short texts are encoded in one pass through a stack
// buffer (a UTF-16 unit never takes more than 3 UTF-8 bytes).
bool StringOut(const wchar_t* text, MemAllocFn alloc, NPVariant* result) {
  const int chars = text ? static_cast<int>(wcslen(text)) : 0;
  if (chars > 0 && chars <= 256) {
    char local[768];
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text, chars, local, sizeof(local), nullptr, nullptr);
    return StringOutUtf8(local, bytes > 0 ? static_cast<size_t>(bytes) : 0, alloc, result);
  }
  std::string utf8 = ToUtf8(text, static_cast<size_t>(chars));
  return StringOutUtf8(utf8.data(), utf8.size(), alloc, result);
}

}  // namespace npconv
