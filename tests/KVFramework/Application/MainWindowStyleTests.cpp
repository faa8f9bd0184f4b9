#include "Application/MainWindowFactory.h"

#include <gtest/gtest.h>

using namespace KV;

TEST(MainWindowStyle, FixedWhenMinimumEqualsMaximumOrEveryLimitFollowsAControl)
{
    const LayoutSizeLimitSpec none;
    const LayoutSizeLimitSpec abs300{false, String(), 0, 300};
    const LayoutSizeLimitSpec abs200{false, String(), 0, 200};
    const LayoutSizeLimitSpec named{true, String(u"panel"), 0, 0};
    struct Row
    {
        const char* what;
        LayoutSizeLimitSpec xMin, yMin, xMax, yMax;
        bool fixed;
    };
    const Row rows[] = {
        {"no limits", none, none, none, none, false},
        {"minimum equals maximum", abs300, abs200, abs300, abs200, true},
        {"a minimum without a maximum", abs300, abs200, none, none, false},
        {"minimum below maximum on one axis", abs200, abs200, abs300, abs200, false},
        // A zero minimum that equals a zero maximum is no limit at all.
        {"zero minimum, zero maximum", none, none, none, none, false},
        {"every limit follows a control", named, named, named, named, true},
        {"only the minimums follow a control", named, named, none, none, false},
    };
    for (const Row& row : rows)
    {
        RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Create();
        layout->mXMinSize = row.xMin;
        layout->mYMinSize = row.yMin;
        layout->mXMaxSize = row.xMax;
        layout->mYMaxSize = row.yMax;
        EXPECT_EQ(row.fixed, IsFixedSizeLayout(*layout)) << row.what;
    }
}
