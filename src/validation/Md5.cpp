// MD5 of a file through the platform's CryptoAPI, streamed in large blocks: part files can be
// gigabytes large and are never loaded whole.
#include <windows.h>

#include <wincrypt.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <system_error>
#include <thread>

#include "util/Handles.h"
#include "util/WideFormat.h"
#include "validation/ExtractorValidator.h"

namespace {
constexpr DWORD kMd5BlockBytes = 1 << 20;

struct CryptProvider {
    HCRYPTPROV value = 0;
    ~CryptProvider()
    {
        if (value != 0) {
            ::CryptReleaseContext(value, 0);
        }
    }
};

struct CryptHash {
    HCRYPTHASH value = 0;
    ~CryptHash()
    {
        if (value != 0) {
            ::CryptDestroyHash(value);
        }
    }
};
} // namespace

DWORD CExtractorValidator::ComputeFileMd5(const std::wstring& path, std::wstring& hashOut, std::wstring& errorOut)
{
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        errorOut = FormatW(L"Error opening file %ls", path.c_str());
        return error;
    }
    CryptProvider provider;
    if (!::CryptAcquireContextW(&provider.value, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
        const DWORD error = ::GetLastError();
        provider.value = 0;
        errorOut = L"CryptAcquireContext failed";
        return error;
    }
    CryptHash hash;
    if (!::CryptCreateHash(provider.value, CALG_MD5, 0, 0, &hash.value)) {
        const DWORD error = ::GetLastError();
        hash.value = 0;
        errorOut = L"CryptCreateHash failed";
        return error;
    }

    DWORD result = 0;
    const std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[kMd5BlockBytes]);
    if (!buffer) {
        errorOut = L"ReadFile failed";
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), buffer.get(), kMd5BlockBytes, &read, nullptr)) {
            result = ::GetLastError();
            errorOut = L"ReadFile failed";
            return result;
        }
        if (read == 0) {
            break;
        }
        if (!::CryptHashData(hash.value, buffer.get(), read, 0)) {
            result = ::GetLastError();
            errorOut = L"CryptHashData failed";
            break;
        }
    }

    BYTE digest[256] = {};
    DWORD digestSize = sizeof(digest);
    if (!::CryptGetHashParam(hash.value, HP_HASHVAL, digest, &digestSize, 0)) {
        const DWORD error = ::GetLastError();
        errorOut = L"CryptGetHashParam failed";
        return error;
    }
    if (result != 0) {
        return result;
    }
    static const wchar_t kDigits[] = L"0123456789abcdef";
    for (int i = 0; i < 16; ++i) {
        hashOut += kDigits[(digest[i] >> 4) & 0x0F];
        hashOut += kDigits[digest[i] & 0x0F];
    }
    return 0;
}

// Parts are independent files: each is hashed whole on one thread, several at once. A thread that
// cannot be started leaves its share to the others, and the calling thread always takes part, so
// every file is hashed even when no thread starts.
std::vector<FileMd5> CExtractorValidator::ComputeFileMd5s(const std::vector<std::wstring>& paths, unsigned threads)
{
    std::vector<FileMd5> results(paths.size());
    std::atomic<size_t> next{0};
    const auto work = [&] {
        for (size_t index = next++; index < paths.size(); index = next++) {
            FileMd5& result = results[index];
            result.code = ComputeFileMd5(paths[index], result.hash, result.error);
        }
    };
    const size_t workers = std::min<size_t>(std::max(threads, 1u), paths.size()); // this thread included
    std::vector<std::thread> started;
    for (size_t n = 1; n < workers; ++n) {
        try {
            started.emplace_back(work);
        } catch (const std::system_error&) {
            break;
        }
    }
    work();
    for (std::thread& thread : started) {
        thread.join();
    }
    return results;
}

unsigned CExtractorValidator::PartHashThreads()
{
    // More readers than cores only adds seeking.
    constexpr unsigned kMostThreads = 4;
    return std::clamp(std::thread::hardware_concurrency(), 1u, kMostThreads);
}
