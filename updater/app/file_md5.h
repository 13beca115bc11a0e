// MD5 digests of downloaded files and their comparison.
#pragma once

#include <string>

// 32 lowercase hexadecimal digits, or "" when the file cannot be opened or
// the digest cannot be computed.
std::string GetFileMd5(const std::wstring& strPath);

// Equal after ASCII capitals are lowered; nothing else is forgiven.
bool IsSameMd5(const std::wstring& strFirst, const std::wstring& strSecond);

// The 16 digest bytes as lowercase hexadecimal, high nibble first.
std::string DigestToHex(const unsigned char* pDigest, size_t nBytes);
