// The page host's byte-level rules, free of any platform header: text between
// the script engine's internal encoding and UTF-8, the kind of NPAPI number a
// script number becomes, and the reading of embed attributes and MIME lists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pagehost {

// The script engine keeps strings as CESU-8: UTF-8 in which a character
// beyond U+FFFF is a pair of encoded surrogates. Plug-ins take and give
// UTF-8. Unpaired surrogates and malformed bytes become U+FFFD; NUL bytes
// stay.
std::string EngineToUtf8(const char* bytes, size_t length);
std::string Utf8ToEngine(const char* bytes, size_t length);

// A browser hands a script number to a plug-in as an Int32 when it is
// integral and fits (negative zero does not), otherwise as a Double.
bool FitsInt32(double number, int32_t* value);

// An embed element's width or height attribute: leading white space, then
// decimal digits (anything after them, such as "px", is ignored). No digits,
// or a value beyond `limit`, gives `fallback`.
int DimensionAttribute(const std::string& text, int fallback, int limit = 10000);

// Whether `type` is one of the MIME types of a version resource's MIMEType
// value ("a|b|c"), compared without regard to ASCII case.
bool MimeTypeListed(const std::string& list, const std::string& type);

// ASCII lower case, for comparing attribute values.
std::string AsciiLower(std::string text);

}  // namespace pagehost
