// Digests as text: the hexadecimal form of a computed digest, which function
// an expected digest asks for, and the comparison with the digest as the
// caller wrote it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The functions an expected digest can name, told apart by its length: 32
// hexadecimal digits for MD5, 64 for SHA-256. Any other length names none,
// and a digest that names none matches no file.
enum class DigestKind { kNone, kMd5, kSha256 };

DigestKind DigestKindOf(std::u16string_view expected);

// The digest bytes as lowercase hexadecimal, high nibble first.
std::string DigestHex(const unsigned char* pDigest, std::size_t nBytes);

// Equal after the ASCII capitals A to Z are lowered; nothing else is forgiven.
bool IsSameDigestText(std::u16string_view first, std::u16string_view second);
