// Byte-level escaping of update URLs.
#pragma once

#include <string>

// Each UTF-8 byte below 0x21, from 0x80 up, or '%' becomes "%XX" (uppercase
// hexadecimal); every other byte is kept as one UTF-16 unit.
std::wstring EscapeUtf8Bytes(const std::string& utf8);

// True when `text` ends with `suffix`, compared over the suffix's full
// length.
bool EndsWith(const std::wstring& text, const std::wstring& suffix);
