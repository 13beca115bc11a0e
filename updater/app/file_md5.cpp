#include "app/file_md5.h"

#include <windows.h>
#include <wincrypt.h>

#include <memory>

#include "app/digest_text.h"
#include "app/wide_units.h"
#include "owners/scoped_win.h"

namespace {

constexpr DWORD kReadBlock = 256 * 1024;
constexpr DWORD kMd5Bytes = 16;

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

std::string GetFileMd5(const std::wstring& strPath) {
  ScopedHandle file(CreateFileW(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return std::string();

  ScopedCryptProvider provider;
  if (!CryptAcquireContextW(provider.Receive(), nullptr, nullptr, PROV_RSA_FULL,
                            CRYPT_VERIFYCONTEXT)) {
    return std::string();
  }
  ScopedCryptHash hash;
  if (!CryptCreateHash(provider.Get(), CALG_MD5, 0, 0, hash.Receive())) return std::string();
  if (!HashFile(file.Get(), hash.Get())) return std::string();

  BYTE digest[kMd5Bytes] = {};
  DWORD digestBytes = sizeof digest;
  if (!CryptGetHashParam(hash.Get(), HP_HASHVAL, digest, &digestBytes, 0) ||
      digestBytes != kMd5Bytes) {
    return std::string();
  }
  return DigestToHex(digest, digestBytes);
}

bool IsSameMd5(const std::wstring& strFirst, const std::wstring& strSecond) {
  return IsSameDigestText(ToU16(strFirst), ToU16(strSecond));
}
