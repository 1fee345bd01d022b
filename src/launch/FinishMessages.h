#pragma once
// Return-code messages and the finish message. A package maps exit codes of each launched program
// ([<launch key>] ReturnCode_<code>=success:{Key} or error:{Key}) to texts of its language section;
// the launcher records what each program's code selected, and the finish page asks for the result.
// The tables live in LaunchData().
#include <map>
#include <string>

constexpr wchar_t kFinishError[] = L"ERROR";
constexpr wchar_t kFinishSuccess[] = L"SUCCESS";
constexpr wchar_t kFinishNotSet[] = L"NOTSET";
constexpr wchar_t kFinishMessageOnFinish[] = L"MessageOnFinish";
constexpr wchar_t kReturnCodeNotConfigured[] = L"Return code not Configured";

// ---- Pure parts
// "error:" or "success:" (any case) at the start of a return-code value, in the value's own case;
// empty when the value has neither.
std::wstring ReturnCodePrefix(const std::wstring& value);
// The language key named by a trimmed message part "{Key}" (braces stripped); empty when the part
// is not in braces.
std::wstring BracedLanguageKey(const std::wstring& trimmedPart);
// "<launch key>:returncode_<code>", lower case: the ReturnCodeMessages key of an exit code.
std::wstring ReturnCodeLookupKey(const std::wstring& launchKey, int exitCode);
// What the finish page shows, chosen from the finish-message table.
std::wstring ChooseFinishMessage(const std::map<std::wstring, std::wstring>& finishMessages);
bool HasUnconfiguredResultIn(const std::map<std::wstring, std::wstring>& finishMessages);

// ---- Operations on the run's tables (properties file and language from Settings())
// Loads [launchKey] ReturnCode_* of one program (nothing for an empty key) and, once per run,
// [<language>] MessageOnFinish.
void LoadReturnCodeMessages(const std::wstring& launchKey);
// prefix + the text of [language] Key for a value "prefix{Key}"; prefix alone otherwise.
std::wstring GetMessageFromLangSection(const std::wstring& value, const std::wstring& language);
// How a package's table classified an exit code: a mapping text of log/RunResult.h and the message.
struct ReturnCodeMapping {
    const wchar_t* mapping = nullptr;
    std::wstring message;
};
// Records what `exitCode` of the program under `launchKey` selected; an error sets status -6.
ReturnCodeMapping SetFinishMessage(int exitCode, const std::wstring& launchKey);
// True when no program ended with an error code and one ended with an unconfigured code.
bool HasUnconfiguredResult();
// ERROR text; else SUCCESS (MessageOnFinish when none) unless a code was unconfigured, in which
// case MessageOnFinish; empty when the chosen entry is absent.
std::wstring GetFinishMessage();
