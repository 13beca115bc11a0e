// Digests of downloaded files (MD5 and SHA-256, through CryptoAPI) and their
// comparison.
#pragma once

#include <string>

#include "app/digest_text.h"

// The file's digest by the function `kind` names, as lowercase hexadecimal
// (32 digits for MD5, 64 for SHA-256), or "" when the kind names none, the
// file cannot be opened or the digest cannot be computed.
std::string GetFileDigest(const std::wstring& strPath, DigestKind kind);

// 32 lowercase hexadecimal digits, or "" when the file cannot be opened or
// the digest cannot be computed.
std::string GetFileMd5(const std::wstring& strPath);

// True when the file's digest, by the function the expected digest's length
// names, equals it (ASCII case aside). An expected digest of any other length
// matches no file.
bool FileMatchesDigest(const std::wstring& strPath, const std::wstring& strExpected);

// Equal after ASCII capitals are lowered; nothing else is forgiven.
bool IsSameMd5(const std::wstring& strFirst, const std::wstring& strSecond);

// The digest bytes as lowercase hexadecimal, high nibble first.
std::string DigestToHex(const unsigned char* pDigest, size_t nBytes);
