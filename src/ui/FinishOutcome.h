#pragma once
// What the finish page says about the run: the result text and icon chosen from the run's exit
// status and how the setup was (or will be) started. Pure: message texts come from `message`.
#include <functional>
#include <string>

constexpr int kResultIconSuccess = 146;
constexpr int kResultIconError = 147;
constexpr int kResultIconInformation = 174;

struct FinishFacts {
    int status = 0;                 // the run's exit status
    std::wstring displayName;       // replaces [PRODUCTNAME]
    std::wstring failedFile;        // replaces [FILENAME]
    int finishAfterLaunch = 1;      // 0: the single setup starts when Finish is pressed
    int extractOnly = 0;
    int autolaunch = 0;
    bool unconfiguredResult = false;  // a setup ended with a code the package does not map
};

struct FinishOutcome {
    std::wstring text;
    int icon = kResultIconSuccess;
    bool outcomeShown = false;      // a cancellation or failure is reported
    bool fitted = false;            // the text is cut to its control
    bool addsFinishMessage = false; // the package's own finish message follows (statuses 0 and -6)
};

FinishOutcome ChooseFinishOutcome(const FinishFacts& facts, const std::function<std::wstring(int)>& message);
