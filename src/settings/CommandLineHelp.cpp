#include "settings/CommandLineHelp.h"

std::wstring CommandLineHelpText()
{
    // Shown in a message box: a proportional font, so no columns.
    return L"Options start with / or - and ignore letter case.\n"
           L"\n"
           L"/silent - no window at all; everything goes to the log\n"
           L"/unattended - a progress window, no questions\n"
           L"/extractpath=FOLDER - extract there (silent and unattended runs)\n"
           L"/autolaunch=yes|no - launch the setup after extraction, or extract only\n"
           L"/setupLanguage=LCID - the setup's language (unattended runs)\n"
           L"/extractionpassword=PASSWORD - the package's extraction password\n"
           L"/debug or /d - detailed log lines\n"
           L"/NoConditioncheck - skip the package requirements\n"
           L"/NoOSCheck - skip the operating-system rules (unless the package insists)\n"
           L"/result=FILE - write the outcome of the run to FILE (JSON)\n"
           L"/check - check the machine and the package only; nothing is extracted or launched\n"
           L"/strictexit - exit codes for scripts: 0, 3010 or 1641, 1602 cancelled, the setup's own "
           L"code, 1603 failed\n"
           L"/? or /help - this list\n";
}
