#pragma once
// The requirements check of a package: the entry point for start-up (which wizard pages stay),
// the settings initialisation of silent and unattended runs, and the requirements page.
//
//   int allowed = Validator().CheckConditions(language);   // 1 allowed, 0 not
//   const std::wstring& keys = Validator().GetConditionMessageKeys();
//
// CExtractorValidator::CheckConditions (validation/ExtractorValidator.h) runs the check below on the
// validator's properties path, or the settings' path when the validator has none, and keeps the
// message-key list for the requirements page.
#include <string>
#include <vector>

// Checks [Conditions] of `propertiesPath` for the language id `language` (decimal section name of
// the message texts). Returns 1 when extraction is allowed (no Action1Condition, or Action1=Extract
// and its expression holds), else 0. Unless the package has no Action1Condition, `messageKeys`
// receives "{<Action1Message>};" followed by the key of every false condition to report, each
// followed by ";" (keys once, in condition order). Reads the registry and the files anew every call.
int CheckConditions(const std::wstring& propertiesPath, int language, std::wstring& messageKeys);

// The message texts for a message-key list: the list split at ";" (entries trimmed, empty ones
// dropped, order kept), each key's text in the language section of `propertiesPath`.
std::vector<std::wstring> GetConditionMessageTexts(const std::wstring& propertiesPath, int language,
                                                   const std::wstring& messageKeys);
