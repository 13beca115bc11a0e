// Digests as text: the hexadecimal form of a computed digest and the
// comparison with an expected digest as the caller wrote it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The digest bytes as lowercase hexadecimal, high nibble first.
std::string DigestHex(const unsigned char* pDigest, std::size_t nBytes);

// Equal after the ASCII capitals A to Z are lowered; nothing else is forgiven.
bool IsSameDigestText(std::u16string_view first, std::u16string_view second);
