#include "app/file_md5.h"

#include <windows.h>
#include <wincrypt.h>

#include <memory>

#include "app/digest_text.h"
#include "app/wide_units.h"

namespace {

constexpr DWORD kReadBlock = 256 * 1024;
constexpr DWORD kMd5Bytes = 16;

class ScopedFile {
public:
    explicit ScopedFile(HANDLE handle) : m_handle(handle) {}
    ~ScopedFile() {
        if (valid()) CloseHandle(m_handle);
    }
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

class ScopedCryptProvider {
public:
    ScopedCryptProvider() {
        if (!CryptAcquireContextW(&m_provider, nullptr, nullptr, PROV_RSA_FULL,
                                  CRYPT_VERIFYCONTEXT)) {
            m_provider = 0;
        }
    }
    ~ScopedCryptProvider() {
        if (m_provider) CryptReleaseContext(m_provider, 0);
    }
    ScopedCryptProvider(const ScopedCryptProvider&) = delete;
    ScopedCryptProvider& operator=(const ScopedCryptProvider&) = delete;
    HCRYPTPROV get() const { return m_provider; }

private:
    HCRYPTPROV m_provider = 0;
};

class ScopedCryptHash {
public:
    explicit ScopedCryptHash(HCRYPTPROV provider) {
        if (!provider || !CryptCreateHash(provider, CALG_MD5, 0, 0, &m_hash)) m_hash = 0;
    }
    ~ScopedCryptHash() {
        if (m_hash) CryptDestroyHash(m_hash);
    }
    ScopedCryptHash(const ScopedCryptHash&) = delete;
    ScopedCryptHash& operator=(const ScopedCryptHash&) = delete;
    HCRYPTHASH get() const { return m_hash; }

private:
    HCRYPTHASH m_hash = 0;
};

}  // namespace

std::string DigestToHex(const unsigned char* pDigest, size_t nBytes) {
    return DigestHex(pDigest, nBytes);
}

std::string GetFileMd5(const std::wstring& strPath) {
    ScopedFile file(CreateFileW(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return std::string();
    SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN);

    ScopedCryptProvider provider;
    ScopedCryptHash hash(provider.get());
    if (!hash.get()) return std::string();

    std::unique_ptr<BYTE[]> block(new BYTE[kReadBlock]);
    DWORD read = 0;
    while (ReadFile(file.get(), block.get(), kReadBlock, &read, nullptr) && read > 0) {
        if (!CryptHashData(hash.get(), block.get(), read, 0)) return std::string();
    }

    BYTE digest[kMd5Bytes] = {};
    DWORD digestBytes = sizeof digest;
    if (!CryptGetHashParam(hash.get(), HP_HASHVAL, digest, &digestBytes, 0) ||
        digestBytes != kMd5Bytes) {
        return std::string();
    }
    return DigestToHex(digest, digestBytes);
}

bool IsSameMd5(const std::wstring& strFirst, const std::wstring& strSecond) {
    return IsSameDigestText(ToU16(strFirst), ToU16(strSecond));
}
