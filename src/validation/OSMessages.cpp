// Composition of the operating-system messages (pure text work).
#include "validation/OSMessages.h"

#include "util/StringUtil.h"
#include "util/WideFormat.h"

std::wstring OSNameForMessage(const std::wstring& displayName)
{
    if (displayName.size() >= 2 && displayName.compare(displayName.size() - 2, 2, L"64") == 0) {
        return ReplaceAll(displayName, L"64", L" 64 Bit");
    }
    return displayName;
}

std::wstring ServicePackForMessage(const std::wstring& number, const std::wstring& withoutServicePack)
{
    if (number.empty()) {
        return {};
    }
    if (number == L"0") {
        return withoutServicePack;
    }
    return FormatW(L"SP%ls", number.c_str());
}

std::wstring ComposeOSMessage(const std::wstring& text, const std::wstring& osName, const std::wstring& edition,
                              const std::wstring& servicePack, const std::wstring& supportedOS)
{
    std::wstring message = ReplaceAll(text, L"[OSNAME]", osName);
    message = ReplaceAll(message, L"[OSEDITION]", edition);
    message = ReplaceAll(message, L"[OSSERVICEPACK]", servicePack);
    message = ReplaceAll(message, L"[MsgSupportedOS]", supportedOS);
    message = ReplaceAll(message, L"[NEWLINE]", L"\n");
    return ReplaceAll(message, L"[TAB]", L"\t");
}
