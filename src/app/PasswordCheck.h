#pragma once
// The extraction password: unscrambling the stored value, moving the "required" flag out of the
// author's keys, and the command-line comparison of silent and unattended runs.
#include <string>

// Each character c becomes c - shift, rotated within the printable range 32..126.
std::wstring UnscramblePassword(const std::wstring& stored, int shift);

struct PasswordState {
    std::wstring decoded;   // the unscrambled password
    std::wstring required;  // [Orlo] Required after the rewrite ("1": a password is needed)
};

// Reads [Runtime] ExtractionPassword (through the section reader) and [Temporary] Number, then
// rewrites the properties file: [Orlo] Required = [Runtime] ExtractPasswordRequired, and the keys
// ExtractPasswordRequired, ExtractionPassword and [Temporary] Number are removed.
PasswordState PreparePassword(const std::wstring& propertiesPath);

// Silent and unattended runs: compares the command-line password (logs the outcome, never the password).
bool CheckCommandLinePassword(int runMode, const PasswordState& state, const std::wstring& commandLinePassword);
