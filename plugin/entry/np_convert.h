// Conversion rules between script values (NPVariant) and the values of the
// control's COM interface. Each argument of a control method uses one
// in-rule; getters hand their out value back through one out-rule. A variant
// of a type that a rule does not list, unknown type numbers included, is
// refused. The platform-free part of the rules is in script_value_rules.h;
// this adds the UTF-8/UTF-16 conversion and the BSTRs.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "entry/npapi_abi.h"
#include "entry/script_value_rules.h"

namespace npconv {

// string-in: the UTF-8 bytes up to the first NUL as UTF-16.
std::wstring StringInText(const NPString& text);
// A newly allocated BSTR with that text (never null for an accepted value).
BSTR StringIn(const NPVariant& value);

// string-out: UTF-8 in a buffer from alloc, owned by the browser afterwards.
// False (result untouched) when the buffer cannot be had.
bool StringOut(const wchar_t* text, MemAllocFn alloc, NPVariant* result);

// UTF-16 text as UTF-8 bytes (platform conversion).
std::string ToUtf8(const wchar_t* text, size_t length);

}  // namespace npconv
