// The wizard's rules over plain values: which pages a package gets, how a label is fitted, what the
// finish page says, and how the requirements messages are cut.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/WizardBuilder.h"
#include "ui/ConditionCheckPage.h"
#include "ui/FinishOutcome.h"
#include "ui/TextFit.h"

namespace {
using P = WizardPage;

struct PagesCase {
    const char* name;
    WizardPageRules rules;
    bool conditionsMet;
    std::vector<WizardPage> expected;
};

TEST(WizardRules, PagesFollowTheDialogsKeysInTheirFixedOrder)
{
    const std::vector<PagesCase> cases = {
        {"defaults: welcome, progress, finish", {}, true, {P::Welcome, P::Progress, P::Finish}},
        {"language page as start page", {L"0", L"1", L"0", L"", false, 0, 1}, true,
         {P::Language, P::Progress, P::Finish}},
        {"everything", {L"1", L"1", L"1", L"1", false, 1, 1}, false,
         {P::Welcome, P::Language, P::Requirements, P::License, P::Location, P::Progress, P::Launch, P::Finish}},
        {"requirements met: no requirements page", {L"1", L"", L"", L"", false, 0, 1}, true,
         {P::Welcome, P::Progress, P::Finish}},
        {"requirements not checked", {L"1", L"", L"", L"", true, 0, 1}, false, {P::Welcome, P::Progress, P::Finish}},
        {"configured path failed: location page although not allowed", {L"1", L"", L"", L"", false, 0, 0}, true,
         {P::Welcome, P::Location, P::Progress, P::Finish}},
        {"values compared exactly", {L"0 ", L"yes", L"1 ", L"true", false, 2, 0}, true,
         {P::Welcome, P::Progress, P::Finish}},
    };
    for (const auto& c : cases) {
        int asked = 0;
        const auto pages = ChooseWizardPages(c.rules, [&] {
            ++asked;
            return c.conditionsMet;
        });
        EXPECT_EQ(pages, c.expected) << c.name;
        EXPECT_EQ(asked, c.rules.noConditionCheck ? 0 : 1) << c.name;
    }
}

// A fixed-width font: every character is 7 pixels wide and 13 high.
SIZE Monospace(const std::wstring& text) { return SIZE{static_cast<LONG>(text.size() * 7), 13}; }

TEST(WizardRules, LabelsArePaddedFittedOrCut)
{
    // 100 px wide, one line: a label narrower than a fifth of the width is padded with blanks.
    EXPECT_EQ(FitTextToSize(L"ab", 100, 13, Monospace, kFitEllipsisAfter), L"ab" + std::wstring(6, L' '));
    EXPECT_EQ(FitTextToSize(L"abcdefghij", 100, 13, Monospace, kFitEllipsisAfter), L"abcdefghij");
    // Too long for one line: cut so that text, "..." and the margin fit.
    const std::wstring cut = FitTextToSize(std::wstring(30, L'x'), 100, 13, Monospace, kFitEllipsisAfter);
    EXPECT_EQ(cut, std::wstring(10, L'x') + L"...");
    EXPECT_EQ(FitTextToSize(std::wstring(30, L'x'), 100, 13, Monospace, kFitEllipsisBefore),
              L"..." + std::wstring(10, L'x'));
    // Three lines' worth of height: a text that wraps but fits is kept whole.
    EXPECT_EQ(FitTextToSize(std::wstring(30, L'y'), 100, 40, Monospace, kFitEllipsisAfter), std::wstring(30, L'y'));
    // A control without width leaves the text alone.
    EXPECT_EQ(FitTextToSize(L"abc", 0, 13, Monospace, kFitEllipsisAfter), L"abc");
}

std::wstring Message(int id) { return L"<" + std::to_wstring(id) + L" [PRODUCTNAME] [FILENAME]>"; }

TEST(WizardRules, FinishTextFollowsTheExitStatus)
{
    FinishFacts facts;
    facts.displayName = L"Pkg 1.0";
    facts.failedFile = L"Pkg.002";

    facts.status = 11;
    FinishOutcome outcome = ChooseFinishOutcome(facts, Message);
    EXPECT_EQ(outcome.text, L"<601 Pkg 1.0 Pkg.002>");
    EXPECT_TRUE(outcome.outcomeShown);
    EXPECT_EQ(outcome.icon, kResultIconError);

    facts.status = -5;
    outcome = ChooseFinishOutcome(facts, Message);
    EXPECT_EQ(outcome.text, L"<615 Pkg 1.0 Pkg.002> <606 Pkg 1.0 Pkg.002>");
    EXPECT_FALSE(outcome.addsFinishMessage);

    facts.status = -6;  // a setup failed: its message follows, the outcome is not a failure text
    outcome = ChooseFinishOutcome(facts, Message);
    EXPECT_FALSE(outcome.outcomeShown);
    EXPECT_TRUE(outcome.addsFinishMessage);

    facts.status = 0;
    facts.finishAfterLaunch = 0;  // the setup starts with the Finish button
    outcome = ChooseFinishOutcome(facts, Message);
    EXPECT_EQ(outcome.text, L"<612 Pkg 1.0 Pkg.002>");
    EXPECT_EQ(outcome.icon, kResultIconInformation);

    facts.finishAfterLaunch = 1;
    facts.autolaunch = 1;
    facts.unconfiguredResult = true;  // overrides "installation complete"
    outcome = ChooseFinishOutcome(facts, Message);
    EXPECT_EQ(outcome.text, L"<616 Pkg 1.0 Pkg.002>");

    facts.status = 99;
    outcome = ChooseFinishOutcome(facts, Message);
    EXPECT_EQ(outcome.text, L"<602 Pkg 1.0 Pkg.002> <606 Pkg 1.0 Pkg.002>");
    EXPECT_TRUE(outcome.fitted);
}

TEST(WizardRules, RequirementMessagesShareTheSpaceOfTheList)
{
    const std::wstring longText(400, L'm');
    // Two messages: 550 / 2 - 15 = 260 characters each; three: 168.
    const std::wstring two = JoinConditionMessages({longText, L"short[TAB]x"});
    EXPECT_EQ(two, std::wstring(260, L'm') + L"...\nshort\tx\n");
    const std::wstring three = JoinConditionMessages({longText, longText, L"a"});
    EXPECT_EQ(three.find(L"..."), 168u);
    EXPECT_EQ(JoinConditionMessages({}), L"");
}
}  // namespace
