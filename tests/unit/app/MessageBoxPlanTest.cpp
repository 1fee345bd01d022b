#include <gtest/gtest.h>

#include "ui/MessageBox.h"

TEST(MessageBoxPlan, TranslatesEveryProgramBoxType)
{
    struct Case {
        UINT requested;
        UINT shown;
        std::map<int, int> captions;
    };
    const Case cases[] = {
        {0, 48, {{IDOK, 405}}},
        {1, 305, {{IDOK, 405}, {IDCANCEL, 406}}},
        {3, 547, {}},
        {4, 292, {{IDYES, 702}, {IDNO, 704}}},
        {16, 16, {{IDOK, 405}}},
        {17, 273, {{IDOK, 405}, {IDCANCEL, 406}}},
        {52, 308, {{IDYES, 702}, {IDNO, 704}}},
        {MB_OK | MB_ICONINFORMATION, MB_OK | MB_ICONINFORMATION, {}},
        {MB_RETRYCANCEL, MB_RETRYCANCEL, {}},
    };
    for (const auto& c : cases) {
        const MessageBoxPlan plan = PlanMessageBox(c.requested);
        EXPECT_EQ(plan.shownType, c.shown) << "requested " << c.requested;
        EXPECT_EQ(plan.captionMessageIds, c.captions) << "requested " << c.requested;
    }
}
