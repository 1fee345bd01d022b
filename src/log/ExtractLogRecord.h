#pragma once
// A log line handed from a worker to its window (UM_LOG_REQUEST); the window writes it.
#include <string>

struct ExtractLogRecord {
    int kind = 8;
    std::wstring function;
    std::wstring format;
    std::wstring argument;
};
