#include "entry/script_value_rules.h"

#include <string.h>

#include <cmath>
#include <limits>

namespace npconv {

int32_t SaturatingTruncate(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

bool AcceptsNumber(const NPVariant& value) {
  return value.type == NPVariantType_Bool || value.type == NPVariantType_Int32 ||
         value.type == NPVariantType_Double;
}

int32_t NumberIn(const NPVariant& value) {
  switch (value.type) {
    case NPVariantType_Bool:
      return value.value.boolValue ? 1 : 0;
    case NPVariantType_Int32:
      return value.value.intValue;
    case NPVariantType_Double:
      return SaturatingTruncate(value.value.doubleValue);
    default:
      return 0;
  }
}

bool AcceptsBool(const NPVariant& value) { return value.type == NPVariantType_Bool; }

int32_t BoolIn(const NPVariant& value) { return value.value.boolValue ? 1 : 0; }

bool AcceptsString(const NPVariant& value) { return value.type == NPVariantType_String; }

size_t Utf8BytesBeforeNul(const NPString& text) {
  if (!text.UTF8Characters || text.UTF8Length == 0) return 0;
  const void* nul = memchr(text.UTF8Characters, 0, text.UTF8Length);
  return nul ? static_cast<size_t>(static_cast<const char*>(nul) - text.UTF8Characters)
             : text.UTF8Length;
}

bool IsAscii(const char* utf8, size_t bytes) {
  for (size_t i = 0; i < bytes; ++i) {
    if (static_cast<unsigned char>(utf8[i]) >= 0x80) return false;
  }
  return true;
}

void WidenAscii(const char* ascii, size_t bytes, char16_t* units) {
  for (size_t i = 0; i < bytes; ++i) units[i] = static_cast<char16_t>(ascii[i]);
}

size_t Utf8BytesOfUtf16(const char16_t* units, size_t count) {
  size_t bytes = 0;
  for (size_t i = 0; i < count; ++i) {
    const char16_t unit = units[i];
    const bool pair = unit >= 0xD800 && unit <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 &&
                      units[i + 1] <= 0xDFFF;
    if (pair) {
      bytes += 4;
      ++i;
    } else {
      bytes += unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
    }
  }
  return bytes;
}

size_t NarrowAsciiPrefix(const char16_t* units, size_t count, char* bytes) {
  size_t i = 0;
  for (; i < count && units[i] < 0x80; ++i) bytes[i] = static_cast<char>(units[i]);
  return i;
}

void IntOut(int32_t value, NPVariant* result) { INT32_TO_NPVARIANT(value, *result); }

void BoolOut(int32_t value, NPVariant* result) { BOOLEAN_TO_NPVARIANT(value != 0, *result); }

bool StringOutUtf8(const char* utf8, size_t bytes, MemAllocFn alloc, NPVariant* result) {
  if (bytes >= UINT32_MAX) return false;
  char* buffer = alloc ? static_cast<char*>(alloc(static_cast<uint32_t>(bytes + 1))) : nullptr;
  if (!buffer) return false;
  if (bytes) memcpy(buffer, utf8, bytes);
  buffer[bytes] = '\0';
  STRINGN_TO_NPVARIANT(buffer, static_cast<uint32_t>(bytes), *result);
  return true;
}

namespace {

bool IsCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

int32_t ParseBagInteger(const char* text, size_t length) {
  if (!text) return 0;
  size_t i = 0;
  while (i < length && IsCSpace(text[i])) ++i;
  bool negative = false;
  if (i < length && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Accumulated as a magnitude, capped just past the range so it cannot overflow.
  const int64_t cap = int64_t(std::numeric_limits<int32_t>::max()) + 1;
  int64_t magnitude = 0;
  for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > cap) magnitude = cap;
  }
  if (negative) return static_cast<int32_t>(-magnitude);
  return static_cast<int32_t>(magnitude >= cap ? cap - 1 : magnitude);
}

}  // namespace npconv
