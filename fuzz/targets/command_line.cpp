// The command line after the system has cut it into arguments (one per line), and the extraction
// path it may name.
#include "FuzzText.h"
#include "settings/CommandLine.h"
#include "util/UtilRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CExtractorCommandOpt options;
    options.ParseArguments(fuzz::Pieces(fuzz::Utf8Text(data, size), L'\n'));
    for (int flag : {options.debug, options.NoOSCheck, options.NoConditioncheck, options.silent, options.unattended}) {
        FUZZ_CHECK(flag == 0 || flag == 1);
    }
    const int mode = options.RunMode();
    FUZZ_CHECK(mode == 510 || mode == 520 || mode == 530);
    for (const std::wstring* value :
         {&options.extractPath, &options.autolaunch, &options.setupLanguage, &options.extractionPassword}) {
        FUZZ_CHECK(*value == TrimW(*value));
    }

    std::wstring path = options.extractPath;
    if (path.empty() || path.back() != L'\\') {
        path += L'\\';
    }
    const int check = utilrules::CheckPathText(path);
    FUZZ_CHECK(check == 0 || check == 161 || check == 206);
    if (check == 0) {
        FUZZ_CHECK(path.size() <= 255 && path.find_first_of(L"\"/*?><|") == std::wstring::npos);
    }
    std::wstring root;
    if (utilrules::ClassifyPath(path) == utilrules::PathForm::Network && utilrules::GetNetworkRoot(path, root) == 0) {
        std::wstring rest;
        FUZZ_CHECK(root.size() >= 6 && root.back() == L'\\' && utilrules::StripRoot(path, root, rest));
        FUZZ_CHECK(root + rest == path);
    }
    return 0;
}
