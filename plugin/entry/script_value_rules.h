// The rules by which script values (NPVariant) become the control's values
// and back, as far as they need no platform text conversion. Free of any
// platform header: the Windows side adds the UTF-8/UTF-16 conversion.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "entry/npapi_abi.h"

namespace npconv {

typedef void* (*MemAllocFn)(uint32_t size);

// A script Double as the control's 32-bit integer: truncated toward zero.
// Values beyond the 32-bit range (infinities included) saturate to the
// nearest representable value and NaN gives 0, so no input is undefined.
int32_t SaturatingTruncate(double value);

// number-in: Bool (1/0), Int32, Double (truncated toward zero, saturated).
bool AcceptsNumber(const NPVariant& value);
int32_t NumberIn(const NPVariant& value);

// bool-in: only Bool, as 1 or 0.
bool AcceptsBool(const NPVariant& value);
int32_t BoolIn(const NPVariant& value);

// string-in: only String; its text is the UTF-8 bytes before the first NUL.
bool AcceptsString(const NPVariant& value);
size_t Utf8BytesBeforeNul(const NPString& text);
// The usual text, ASCII only (every byte below 0x80), is one UTF-16 unit
// per byte: WidenAscii writes `bytes` units of such text into `units`.
bool IsAscii(const char* utf8, size_t bytes);
void WidenAscii(const char* ascii, size_t bytes, char16_t* units);

// int-out and bool-out.
void IntOut(int32_t value, NPVariant* result);
void BoolOut(int32_t value, NPVariant* result);

// string-out: the UTF-8 length of `count` UTF-16 units, exact for valid
// text; a unit of a broken surrogate pair counts as its replacement
// character (3 bytes), so it is never too small.
size_t Utf8BytesOfUtf16(const char16_t* units, size_t count);
// string-out, the usual text: writes the leading ASCII units (below 0x80)
// of `count` as one byte each into `bytes`; gives how many there were.
size_t NarrowAsciiPrefix(const char16_t* units, size_t count, char* bytes);

// string-out: copies `bytes` UTF-8 bytes and a terminating NUL into a buffer
// from alloc (owned by the browser afterwards) and makes result a String of
// that length. False, result untouched, when the buffer cannot be had.
bool StringOutUtf8(const char* utf8, size_t bytes, MemAllocFn alloc, NPVariant* result);

// Integer property-bag text: the decimal integer at the start of the first
// `length` bytes (C-locale white space skipped, optional sign, digits up to
// the first other character or NUL; none gives 0). Values beyond the 32-bit
// range saturate.
int32_t ParseBagInteger(const char* text, size_t length);

}  // namespace npconv
