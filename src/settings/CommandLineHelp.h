#pragma once
// The list of command-line options that /? and /help show.
#include <string>

std::wstring CommandLineHelpText();
