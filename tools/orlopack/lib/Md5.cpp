// MD5 through CryptoAPI.
#include "Md5.h"

#include <wincrypt.h>

#include <vector>

#include "util/Handles.h"
#include "util/WideFormat.h"

namespace orlopack {

namespace {
struct CryptProvTraits {
    using Type = HCRYPTPROV;
    static Type Empty() noexcept { return 0; }
    static void Close(Type h) noexcept { ::CryptReleaseContext(h, 0); }
};
struct CryptHashTraits {
    using Type = HCRYPTHASH;
    static Type Empty() noexcept { return 0; }
    static void Close(Type h) noexcept { ::CryptDestroyHash(h); }
};
constexpr DWORD kBlockSize = 1 << 20;
} // namespace

DWORD Md5OfFile(const std::wstring& path, std::wstring& hash, std::wstring& error)
{
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        const DWORD code = ::GetLastError();
        error = FormatW(L"cannot open %ls", path.c_str());
        return code;
    }
    UniqueHandle<CryptProvTraits> provider;
    if (!::CryptAcquireContextW(provider.Put(), nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
        const DWORD code = ::GetLastError();
        error = L"CryptAcquireContext failed";
        return code;
    }
    UniqueHandle<CryptHashTraits> digest;
    if (!::CryptCreateHash(provider.Get(), CALG_MD5, 0, 0, digest.Put())) {
        const DWORD code = ::GetLastError();
        error = L"CryptCreateHash (MD5) failed";
        return code;
    }
    std::vector<BYTE> block(kBlockSize);
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), block.data(), kBlockSize, &read, nullptr)) {
            const DWORD code = ::GetLastError();
            error = FormatW(L"cannot read %ls", path.c_str());
            return code;
        }
        if (read == 0) {
            break;
        }
        if (!::CryptHashData(digest.Get(), block.data(), read, 0)) {
            const DWORD code = ::GetLastError();
            error = L"CryptHashData failed";
            return code;
        }
    }
    BYTE value[16];
    DWORD size = sizeof(value);
    if (!::CryptGetHashParam(digest.Get(), HP_HASHVAL, value, &size, 0) || size != sizeof(value)) {
        const DWORD code = ::GetLastError();
        error = L"CryptGetHashParam failed";
        return code ? code : ERROR_INVALID_DATA;
    }
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring text;
    for (BYTE b : value) {
        text += digits[b >> 4];
        text += digits[b & 0x0F];
    }
    hash = text;
    return 0;
}

} // namespace orlopack
