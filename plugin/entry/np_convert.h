// Conversion rules between script values (NPVariant) and the values of the
// control's COM interface. Each argument of a control method uses one
// in-rule; getters hand their out value back through one out-rule. A variant
// of a type that a rule does not list, unknown type numbers included, is
// refused.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "entry/npapi_abi.h"

namespace npconv {

typedef void* (*MemAllocFn)(uint32_t size);

// number-in: Bool (1/0), Int32, Double (truncated toward zero, saturated).
bool AcceptsNumber(const NPVariant& value);
long NumberIn(const NPVariant& value);

// bool-in: only Bool, as 1 or 0.
bool AcceptsBool(const NPVariant& value);
long BoolIn(const NPVariant& value);

// string-in: only String; the UTF-8 bytes up to the first NUL as UTF-16.
bool AcceptsString(const NPVariant& value);
std::wstring StringInText(const NPString& text);
// A newly allocated BSTR with that text (never null for an accepted value).
BSTR StringIn(const NPVariant& value);

// int-out and bool-out.
void IntOut(long value, NPVariant* result);
void BoolOut(long value, NPVariant* result);

// string-out: UTF-8 in a buffer from alloc, owned by the browser afterwards.
// False (result untouched) when the buffer cannot be had.
bool StringOut(const wchar_t* text, MemAllocFn alloc, NPVariant* result);

// UTF-16 text as UTF-8 bytes (platform conversion).
std::string ToUtf8(const wchar_t* text, size_t length);

}  // namespace npconv
