// Setup parameters with %NAME% placeholders, and the launch values they travel with.
#include <algorithm>

#include "FuzzText.h"
#include "launch/LaunchRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::wstring parameters = fuzz::Utf8Text(data, size);
    int position = -1;
    size_t asked = 0;
    // Values may hold "%" themselves: they must never be expanded again.
    const auto expand = [&](const std::wstring& name) {
        ++asked;
        return name.size() % 3 == 0 ? std::wstring() : L"C:\\Users\\%TEMP%\\" + name.substr(1, name.size() / 2);
    };
    const auto unsupported = [&](const std::wstring& token) {
        FUZZ_CHECK(token.size() >= 2 && token.front() == L'%' && token.back() == L'%');
    };
    const std::wstring expanded = ExpandParameterPlaceholders(parameters, position, expand, unsupported);
    FUZZ_CHECK(position >= 0 && static_cast<size_t>(position) <= expanded.size());
    FUZZ_CHECK(asked <= static_cast<size_t>(std::count(parameters.begin(), parameters.end(), L'%')) / 2);
    if (parameters.find(L'%') == std::wstring::npos) {
        FUZZ_CHECK(expanded == parameters);
    }

    const LaunchValueParts parts = SplitLaunchValue(parameters);
    FUZZ_CHECK(parts.fileName.find(L'\\') == std::wstring::npos);
    FUZZ_CHECK(parameters.find(L'\\') == std::wstring::npos ? parts.folder.empty() && parts.fileName == parameters
                                                            : parts.folder + L"\\" + parts.fileName == parameters);
    const std::wstring joined = JoinPath(L"C:\\Extract", parts.fileName);
    FUZZ_CHECK(joined.rfind(L"C:\\Extract\\", 0) == 0);
    const std::wstring extension = LaunchExtension(parameters);
    FUZZ_CHECK(parameters.size() >= extension.size() &&
               parameters.compare(parameters.size() - extension.size(), extension.size(), extension) == 0);
    return 0;
}
