// Registry string data as the registry hands it over: bytes of
// little-endian UTF-16 units.
#pragma once

#include <cstddef>
#include <string>

// Empty data is the empty string. Otherwise the data must be an even number
// of bytes ending with a zero unit; the text is what comes before the first
// zero unit. False, text unchanged, for anything else.
bool ParseRegistryTextBytes(const unsigned char* pData, std::size_t nBytes, std::u16string& text);
