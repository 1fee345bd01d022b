#include "extraction/ExtractionDriver.h"
#include "settings/Messages.h"
#include "settings/OrloInitalizer.h"
#include "settings/WindowMessages.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"
#include "util/Util.h"

ExtractionErrorTexts MakeExtractionErrorTexts(int code, const std::wstring& name, const std::wstring& driveRoot)
{
    ExtractionErrorTexts texts;
    switch (code) {
    case 1:
    case -2:
        texts.message = ReplaceAll(GetMessage(607), L"[FILENAME]", name);
        texts.log = L"Part file " + name + L" not found";
        break;
    case -3:
        texts.message = ReplaceAll(GetMessage(608), L"[FILENAME]", name);
        texts.log = L"Part file " + name + L" is invalid.";
        break;
    case -5:
        texts.message = ReplaceAll(GetMessage(615), L"[FILENAME]", name);
        texts.log = L"Part file " + name + L" is corrupt.";
        break;
    case 5:
        texts.message = GetMessage(510);
        texts.log = L"Access is denied.";
        break;
    case 8:
    case 39:
        texts.message = ReplaceAll(GetMessage(409), L"[DRIVENAME]", driveRoot);
        texts.log = L"There is not sufficient space on drive :" + driveRoot;
        break;
    case 32:
        texts.message = ReplaceAll(ReplaceAll(GetMessage(509), L"[FILENAME]", name), L"[NEWLINE]", L"\n");
        texts.log = L"Cannot copy " + name +
                    L" It is being used by another person or program.Close any programs that might be using the "
                    L"file and try again.";
        break;
    default:
        texts.log = TrimW(CUtil::FormatErrorText(static_cast<DWORD>(code)));
        break;
    }
    return texts;
}

std::wstring GetExtractionErrorText(int code, const std::wstring& name,
                                    const std::function<void(const std::wstring&)>& show, HWND owner)
{
    const ExtractionErrorTexts texts =
        MakeExtractionErrorTexts(code, name, CUtil::GetPathRoot(Settings().GetExtractionPath()));
    if (Settings().GetRunMode() == kRunModeGui && !texts.message.empty()) {
        if (show) {
            show(texts.message);
        } else if (owner != nullptr && ::IsWindow(owner)) {
            // The window shows it with the program's own box, on its own thread.
            ::SendMessageW(owner, UM_SHOW_ERROR_BOX, reinterpret_cast<WPARAM>(&texts.message), 0);
        }
    }
    return texts.log;
}
