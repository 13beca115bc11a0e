#include "app/file_md5.h"

#include <windows.h>
#include <wincrypt.h>

#include <memory>

#include "app/digest_text.h"
#include "app/wide_units.h"
#include "owners/scoped_win.h"

namespace {

constexpr DWORD kReadBlock = 256 * 1024;
constexpr DWORD kMaxDigestBytes = 32;

// The provider type, algorithm and digest size of each function. SHA-256
// needs the AES provider type; the plain RSA type offers only MD5 and SHA-1.
struct HashFunction {
  DWORD dwProviderType;
  ALG_ID algorithm;
  DWORD dwDigestBytes;
};

bool FunctionOf(DigestKind kind, HashFunction& function) {
  switch (kind) {
    case DigestKind::kMd5:
      function = {PROV_RSA_FULL, CALG_MD5, 16};
      return true;
    case DigestKind::kSha256:
      function = {PROV_RSA_AES, CALG_SHA_256, 32};
      return true;
    default:
      return false;
  }
}

// Feeds the whole file to the hash; false if any read or hash step fails,
// so that a digest of part of the file is never reported.
bool HashFile(HANDLE file, HCRYPTHASH hash) {
  std::unique_ptr<BYTE[]> block(new BYTE[kReadBlock]);
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file, block.get(), kReadBlock, &read, nullptr)) return false;
    if (read == 0) return true;
    if (!CryptHashData(hash, block.get(), read, 0)) return false;
  }
}

}  // namespace

std::string DigestToHex(const unsigned char* pDigest, size_t nBytes) {
  return DigestHex(pDigest, nBytes);
}

std::string GetFileDigest(const std::wstring& strPath, DigestKind kind) {
  HashFunction function;
  if (!FunctionOf(kind, function)) return std::string();
  ScopedHandle file(CreateFileW(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return std::string();

  ScopedCryptProvider provider;
  if (!CryptAcquireContextW(provider.Receive(), nullptr, nullptr, function.dwProviderType,
                            CRYPT_VERIFYCONTEXT)) {
    return std::string();
  }
  ScopedCryptHash hash;
  if (!CryptCreateHash(provider.Get(), function.algorithm, 0, 0, hash.Receive()))
    return std::string();
  if (!HashFile(file.Get(), hash.Get())) return std::string();

  BYTE digest[kMaxDigestBytes] = {};
  DWORD digestBytes = sizeof digest;
  if (!CryptGetHashParam(hash.Get(), HP_HASHVAL, digest, &digestBytes, 0) ||
      digestBytes != function.dwDigestBytes) {
    return std::string();
  }
  return DigestToHex(digest, digestBytes);
}

std::string GetFileMd5(const std::wstring& strPath) {
  return GetFileDigest(strPath, DigestKind::kMd5);
}

bool FileMatchesDigest(const std::wstring& strPath, const std::wstring& strExpected) {
  const std::u16string expected = ToU16(strExpected);
  const std::string computed = GetFileDigest(strPath, DigestKindOf(expected));
  return !computed.empty() &&
         IsSameDigestText(expected, std::u16string(computed.begin(), computed.end()));
}

bool IsSameMd5(const std::wstring& strFirst, const std::wstring& strSecond) {
  return IsSameDigestText(ToU16(strFirst), ToU16(strSecond));
}
