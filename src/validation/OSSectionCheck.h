#pragma once
// The builder's look at a package's [OS] section: entries and keys the program does not know. The
// program itself never complains about them; an entry it does not know matches no system, so a
// typo in OSAllowed quietly refuses every system, and a rule under a misspelt key never applies.
#include <string>
#include <utility>
#include <vector>

// `lines`: the [OS] keys in file order, with their values as the profile functions read them.
// One sentence per finding, starting with "[OS]"; empty when the section is sound.
std::vector<std::wstring> CheckOSSection(const std::vector<std::pair<std::wstring, std::wstring>>& lines);
