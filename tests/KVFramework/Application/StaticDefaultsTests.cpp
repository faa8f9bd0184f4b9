#include "Application/CursorNames.h"
#include "Notification/NotificationCenter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace KV;

namespace {

// Runs before main, as the objects of the process are built: what the framework offers
// then must not wait for other static objects.
struct BuiltBeforeMain
{
    BuiltBeforeMain()
        : waitCursor(CursorNames().wait.ToNarrow().View()),
          centerName(LNotificationCenterManager::GetDefaultCenterName().ToNarrow().View())
    {
    }
    std::string waitCursor;
    std::string centerName;
};
const BuiltBeforeMain gBuiltBeforeMain;

TEST(StaticDefaults, InPlaceBeforeMain)
{
    EXPECT_EQ(gBuiltBeforeMain.waitCursor, "UI_CURSOR_WAIT");
    EXPECT_EQ(gBuiltBeforeMain.centerName, "application");
}

TEST(StaticDefaults, CursorNamesAreDistinctObjects)
{
    const LCursorNames& names = CursorNames();
    const std::vector<const String*> all = {
        &names.appStarting, &names.arrow,   &names.cross,    &names.defaultCursor, &names.dropCopy,
        &names.dropMove,    &names.hand,    &names.help,     &names.iBeam,         &names.mag,
        &names.magMinus,    &names.magPlus, &names.noDrop,   &names.rotate,        &names.sizeAll,
        &names.sizeNESW,    &names.sizeNS,  &names.sizeNWSE, &names.sizeWE,        &names.splitH,
        &names.splitV,      &names.upArrow, &names.wait,
    };
    ASSERT_EQ(all.size(), 23u);
    for (size_t i = 0; i < all.size(); ++i)
    {
        EXPECT_EQ(all[i]->ToNarrow().View().substr(0, 10), "UI_CURSOR_");
        for (size_t j = 0; j < all.size(); ++j)
            EXPECT_EQ(IsCursorName(*all[i], *all[j]), i == j) << i << " " << j;
    }
    EXPECT_EQ(&CursorNames(), &names); // made once

    // The default cursor has the arrow's text but is not the arrow.
    EXPECT_TRUE(names.defaultCursor == names.arrow);
    // A copy is the constant; the same text made anew is not.
    const String copy = names.dropMove;
    EXPECT_TRUE(IsCursorName(copy, names.dropMove));
    EXPECT_FALSE(IsCursorName(String(u"UI_CURSOR_DROP_MOVE"), names.dropMove));
}

} // namespace
