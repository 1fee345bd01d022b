#include "ui/FinishOutcome.h"

#include "util/StringUtil.h"

namespace {
std::wstring Joined(const std::function<std::wstring(int)>& message, int first, int second)
{
    return message(first) + L" " + message(second);
}
}  // namespace

FinishOutcome ChooseFinishOutcome(const FinishFacts& facts, const std::function<std::wstring(int)>& message)
{
    FinishOutcome outcome;
    switch (facts.status) {
    case 11:
    case 12:
        outcome.text = ReplaceAll(message(facts.status == 11 ? 601 : 614), L"\\n", L"\n");
        outcome.outcomeShown = true;
        break;
    case 2:
        outcome.text = Joined(message, 605, 606);
        outcome.outcomeShown = true;
        break;
    case -2:
        outcome.text = Joined(message, 607, 606);
        outcome.outcomeShown = true;
        break;
    case -3:
        outcome.text = Joined(message, 608, 606);
        outcome.outcomeShown = true;
        break;
    case -5:
        outcome.text = Joined(message, 615, 606);
        outcome.outcomeShown = true;
        break;
    case -4:
        outcome.text = Joined(message, 611, 606);
        break;
    case -6:
        outcome.text = message(611);
        outcome.addsFinishMessage = true;
        break;
    case 0:
        outcome.text = message(600);
        if (facts.finishAfterLaunch == 0 && facts.extractOnly == 0) {
            outcome.icon = kResultIconInformation;
            outcome.text = message(612);
        } else if (facts.autolaunch == 1) {
            outcome.text = message(610);
        }
        if (facts.unconfiguredResult) {
            outcome.icon = kResultIconInformation;
            outcome.text = message(616);
        }
        outcome.fitted = true;
        outcome.addsFinishMessage = true;
        break;
    default:
        outcome.text = Joined(message, 602, 606);
        outcome.fitted = true;
        outcome.outcomeShown = true;
        break;
    }
    if (facts.status != 0) {
        outcome.icon = kResultIconError;
    }
    outcome.text = ReplaceAll(ReplaceAll(outcome.text, L"[PRODUCTNAME]", facts.displayName), L"[FILENAME]",
                              facts.failedFile);
    return outcome;
}
