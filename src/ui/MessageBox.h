#pragma once
// The program's one message-box routine: translated button captions through a CBT hook, the
// application name as caption, and the type mapping of the program's box kinds.
#include <windows.h>

#include <map>
#include <string>

// What a requested box type becomes: the type actually shown and the message ids of the captions.
struct MessageBoxPlan {
    UINT shownType = 0;
    std::map<int, int> captionMessageIds;  // button id (IDOK, IDCANCEL, IDYES, IDNO) -> message id
};
MessageBoxPlan PlanMessageBox(UINT requestedType);

// The caption of every box: the display name once set (empty: the executable's full path).
void SetAppName(const std::wstring& name);
const std::wstring& GetAppName();
void ClearAppName();

// Shows the box on the calling thread and returns the pressed button. Never call it outside GUI mode.
int DoMessageBox(const std::wstring& text, UINT type, UINT helpId = 0);
