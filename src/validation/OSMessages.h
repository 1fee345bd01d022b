#pragma once
// The operating-system messages: pure composition of the MsgOSWarning / MsgOSError texts.
#include <string>

// "Windows764" -> "Windows7 64 Bit": only a name ending in "64" is rewritten, then every "64" in it.
std::wstring OSNameForMessage(const std::wstring& displayName);
// Empty for an empty number, `withoutServicePack` (message 422) for "0", else "SP<number>".
std::wstring ServicePackForMessage(const std::wstring& number, const std::wstring& withoutServicePack);
// Fills [OSNAME], [OSEDITION], [OSSERVICEPACK], [MsgSupportedOS], then [NEWLINE] and [TAB].
std::wstring ComposeOSMessage(const std::wstring& text, const std::wstring& osName, const std::wstring& edition,
                              const std::wstring& servicePack, const std::wstring& supportedOS);
