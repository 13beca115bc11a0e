#include "entry/np_convert.h"

#include <string.h>

#include "entry/number_rules.h"

namespace npconv {

bool AcceptsNumber(const NPVariant& value) {
  return value.type == NPVariantType_Bool || value.type == NPVariantType_Int32 ||
         value.type == NPVariantType_Double;
}

long NumberIn(const NPVariant& value) {
  switch (value.type) {
    case NPVariantType_Bool: return value.value.boolValue ? 1 : 0;
    case NPVariantType_Int32: return value.value.intValue;
    case NPVariantType_Double: return SaturatingTruncate(value.value.doubleValue);
    default: return 0;
  }
}

bool AcceptsBool(const NPVariant& value) { return value.type == NPVariantType_Bool; }

long BoolIn(const NPVariant& value) { return value.value.boolValue ? 1 : 0; }

bool AcceptsString(const NPVariant& value) { return value.type == NPVariantType_String; }

namespace {

// Bytes of the text before its first NUL.
int BytesBeforeNul(const NPString& text) {
  if (!text.UTF8Characters || text.UTF8Length == 0) return 0;
  const void* nul = memchr(text.UTF8Characters, 0, text.UTF8Length);
  return static_cast<int>(nul ? static_cast<const char*>(nul) - text.UTF8Characters
                              : text.UTF8Length);
}

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

void IntOut(long value, NPVariant* result) { INT32_TO_NPVARIANT(value, *result); }

void BoolOut(long value, NPVariant* result) { BOOLEAN_TO_NPVARIANT(value != 0, *result); }

std::string ToUtf8(const wchar_t* text, size_t length) {
  if (!text || length == 0) return std::string();
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                  nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), &utf8[0], bytes, nullptr,
                      nullptr);
  return utf8;
}

// Every string handed to script comes through here (method results and
// event arguments): short texts are encoded in one pass through a stack
// buffer (a UTF-16 unit never takes more than 3 UTF-8 bytes), longer ones
// straight into the browser's buffer.
bool StringOut(const wchar_t* text, MemAllocFn alloc, NPVariant* result) {
  if (!alloc) return false;
  const int chars = text ? static_cast<int>(wcslen(text)) : 0;
  char local[768];
  int bytes = 0;
  const bool shortText = chars <= 256;
  if (chars > 0) {
    bytes = shortText ? WideCharToMultiByte(CP_UTF8, 0, text, chars, local, sizeof(local), nullptr,
                                            nullptr)
                      : WideCharToMultiByte(CP_UTF8, 0, text, chars, nullptr, 0, nullptr, nullptr);
    if (bytes < 0) bytes = 0;
  }
  char* buffer = static_cast<char*>(alloc(static_cast<uint32_t>(bytes) + 1));
  if (!buffer) return false;
  if (bytes > 0 && shortText)
    memcpy(buffer, local, static_cast<size_t>(bytes));
  else if (bytes > 0)
    bytes = WideCharToMultiByte(CP_UTF8, 0, text, chars, buffer, bytes, nullptr, nullptr);
  buffer[bytes > 0 ? bytes : 0] = '\0';
  STRINGN_TO_NPVARIANT(buffer, static_cast<uint32_t>(bytes > 0 ? bytes : 0), *result);
  return true;
}

}  // namespace npconv
