#include "Application/WindowInput.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace KV;

TEST(WindowInput, WheelMakesOneStepPerTurnThatPassesANotch)
{
    struct Row
    {
        const char* what;
        int axis;
        std::vector<int32_t> deltas;
        std::vector<std::optional<int>> steps;
        int32_t remainder;
    };
    const Row rows[] = {
        {"one notch away", WheelAccumulator::kVertical, {120}, {kWheelUp}, 0},
        {"one notch towards", WheelAccumulator::kVertical, {-120}, {kWheelDown}, 0},
        // Two notches at once are one step; nothing of them is kept.
        {"two notches at once", WheelAccumulator::kVertical, {240}, {kWheelUp}, 0},
        {"halves add up", WheelAccumulator::kVertical, {60, 60}, {std::nullopt, kWheelUp}, 0},
        {"the part below a notch is kept", WheelAccumulator::kVertical, {200, 50}, {kWheelUp, kWheelUp}, 10},
        {"back and forth",
         WheelAccumulator::kVertical,
         {100, -100, -30},
         {std::nullopt, std::nullopt, std::nullopt},
         -30},
        {"negative remainder kept", WheelAccumulator::kVertical, {-250}, {kWheelDown}, -10},
        {"left", WheelAccumulator::kHorizontal, {-120}, {kWheelLeft}, 0},
        {"right", WheelAccumulator::kHorizontal, {130}, {kWheelRight}, 10},
    };
    for (const Row& row : rows)
    {
        WheelAccumulator wheel;
        std::vector<std::optional<int>> steps;
        for (const int32_t delta : row.deltas)
            steps.push_back(wheel.Add(row.axis, delta));
        EXPECT_EQ(row.steps, steps) << row.what;
        EXPECT_EQ(row.remainder, wheel.GetRemainder(row.axis)) << row.what;
    }
    // The axes keep their own sums.
    WheelAccumulator wheel;
    EXPECT_EQ(std::nullopt, wheel.Add(WheelAccumulator::kVertical, 100));
    EXPECT_EQ(std::nullopt, wheel.Add(WheelAccumulator::kHorizontal, 100));
    EXPECT_EQ(kWheelUp, wheel.Add(WheelAccumulator::kVertical, 20));
}

TEST(WindowInput, KeysBecomeKeyCodesWithTheirRepeatState)
{
    constexpr uint32_t kLeftShift = kModifierShift | kModifierLeftShift;
    constexpr uint32_t kLeftAlt = kModifierAlt | kModifierLeftAlt;
    struct Row
    {
        uint8_t virtualKey;
        bool down;
        bool repeat;
        uint32_t modifiers;
        std::optional<KeyCode> expected;
    };
    const Row rows[] = {
        {0x41, true, false, 0, KeyCode::FromVirtualKey(0x41, true, 0, 0)},
        {0x41, true, true, 0, KeyCode::FromVirtualKey(0x41, true, 1, 0)},
        // A release always was down.
        {0x41, false, false, kLeftShift, KeyCode::FromVirtualKey(0x41, false, 1, kLeftShift)},
        {0x73, true, false, kLeftAlt, KeyCode::FromVirtualKey(0x73, true, 0, kLeftAlt)},
        // A key without a virtual key: only with Alt, as the character 0.
        {0, true, false, 0, std::nullopt},
        {0, true, false, kModifierCtrl | kModifierLeftCtrl, std::nullopt},
        {0, true, false, kLeftAlt, KeyCode::FromCharacter(0, kLeftAlt)},
    };
    for (const Row& row : rows)
    {
        const std::optional<KeyCode> key = KeyCodeForKey(row.virtualKey, row.down, row.repeat, row.modifiers);
        ASSERT_EQ(row.expected.has_value(), key.has_value()) << int{row.virtualKey};
        if (!key)
            continue;
        EXPECT_EQ(row.expected->mCode, key->mCode) << int{row.virtualKey};
        EXPECT_EQ(row.expected->mSideFlags, key->mSideFlags) << int{row.virtualKey};
        EXPECT_EQ(row.expected->mWasDown, key->mWasDown) << int{row.virtualKey};
    }
}

TEST(WindowInput, TextBecomesOneCharacterKeyPerUnit)
{
    const std::vector<KeyCode> smile = KeyCodesForText(u"a😀", kModifierShift | kModifierLeftShift);
    ASSERT_EQ(3u, smile.size());
    EXPECT_EQ(u'a' | KeyCode::kShift, smile[0].mCode);
    EXPECT_EQ(0xD83Du | KeyCode::kShift, smile[1].mCode);
    EXPECT_EQ(0xDE00u | KeyCode::kShift, smile[2].mCode);
    // Side bits are not part of a typed character.
    EXPECT_EQ(0u, smile[0].mSideFlags);
    EXPECT_EQ(u'\x01' | KeyCode::kCtrl,
              KeyCodesForText(u"\x01", kModifierCtrl | kModifierRightCtrl)[0].mCode);
    // Nothing is typed while the system key is held.
    EXPECT_TRUE(KeyCodesForText(u"x", kModifierCmd | kModifierLeftCmd).empty());
}

TEST(WindowInput, RestoredWindowIsBroughtOntoTheDesktop)
{
    const RectT<int32_t> desktop{0, 0, 1280, 1024};
    struct Row
    {
        RectT<int32_t> window;
        RectT<int32_t> expected;
    };
    const Row rows[] = {
        {{100, 100, 500, 350}, {100, 100, 500, 350}},
        {{-40, -10, 500, 350}, {0, 0, 500, 350}},
        {{1000, 900, 500, 350}, {780, 674, 500, 350}},
        // Larger than the desktop: cut to its size, then placed at its corner.
        {{300, -5, 2000, 1100}, {0, 0, 1280, 1024}},
    };
    for (const Row& row : rows)
    {
        const RectT<int32_t> fitted = FitWindowToDesktop(row.window, desktop);
        EXPECT_EQ(row.expected.x, fitted.x);
        EXPECT_EQ(row.expected.y, fitted.y);
        EXPECT_EQ(row.expected.width, fitted.width);
        EXPECT_EQ(row.expected.height, fitted.height);
    }
    EXPECT_FALSE(ReachesOutside({0, 0, 1280, 1024}, desktop));
    EXPECT_TRUE(ReachesOutside({1, 0, 1280, 1024}, desktop));
    EXPECT_TRUE(ReachesOutside({-1, 5, 10, 10}, desktop));
}
