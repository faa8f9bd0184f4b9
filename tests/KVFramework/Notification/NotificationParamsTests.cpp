#include "ControlBase/Control.h"
#include "Controls/MenuDescriptor.h"
#include "Notification/NotificationParams.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace KV;

namespace {

// Creates one pooled parameter, drops it, and creates another: the second takes the
// block of the first, and the pool made no new block.
template <class T, class Make> void ExpectReuse(Make make)
{
    const void* first = nullptr;
    {
        RCPtr<T> param = make();
        ASSERT_TRUE(param);
        first = param.Get();
    }
    const uint32_t blocks = T::Pool().GetBlockCount();
    for (int i = 0; i < 3; ++i)
    {
        RCPtr<T> again = make();
        EXPECT_EQ(static_cast<const void*>(again.Get()), first);
    }
    EXPECT_EQ(T::Pool().GetBlockCount(), blocks);
}

} // namespace

TEST(NotificationParams, PooledClassesReuseTheirOwnBlocks)
{
    ExpectReuse<LPointWithModifiersParam>([] {
        return LPointWithModifiersParam::Create({3, 4}, kModifierCtrl);
    });
    ExpectReuse<LMouseButtonParam>([] {
        return LMouseButtonParam::Create(kMouseButtonLeft, {1, 2}, 0, 1, 5);
    });
    ExpectReuse<LMouseWheelParam>([] {
        return LMouseWheelParam::Create({1, 2}, kModifierShift, kWheelHorizontalPositive);
    });
    ExpectReuse<LValueParam>([] { return LValueParam::Create(0.25, 40.0); });
    ExpectReuse<LConditionsParam>([] { return LConditionsParam::Create(1, 2, {0.5, -0.5}); });
    ExpectReuse<LMenuActivationParam>(
        [] { return LMenuActivationParam::Create(LMenuDescriptor::Create(), 2); });

    // A derived pooled class takes its blocks from its own pool, not from its base's.
    const uint32_t baseFree = LPointWithModifiersParam::Pool().GetFreeCount();
    {
        RCPtr<LMouseButtonParam> button = LMouseButtonParam::Create(kMouseButtonRight, {7, 8}, 0, 0, 4);
        RCPtr<LMouseWheelParam> wheel = LMouseWheelParam::Create({7, 8}, 0, kWheelVerticalNegative);
        EXPECT_EQ(LPointWithModifiersParam::Pool().GetFreeCount(), baseFree);
        EXPECT_EQ(button->mPoint, (PointT<int32_t>{7, 8}));
        EXPECT_EQ(button->mButton, kMouseButtonRight);
        EXPECT_EQ(button->mButtonState, 4);
        EXPECT_EQ(wheel->mDirection, kWheelVerticalNegative);
    }
}

TEST(NotificationParams, ItemConditionsComeFromTheHeapNotTheConditionsPool)
{
    const uint32_t blocks = LConditionsParam::Pool().GetBlockCount();
    const uint32_t free = LConditionsParam::Pool().GetFreeCount();
    {
        RCPtr<LItemConditionsParam> item = LItemConditionsParam::Create(3, -1, 0x80, 0x10, 0x30, {2.0, 3.0});
        ASSERT_TRUE(item);
        EXPECT_EQ(item->mItemIndex, 3);
        EXPECT_EQ(item->mLookIndex, -1);
        EXPECT_EQ(item->mItemFlag, 0x80);
        EXPECT_EQ(item->mOldConditions, 0x10u);
        EXPECT_EQ(item->mNewConditions, 0x30u);
        EXPECT_EQ(item->mPressPoint, (PointT<double>{2.0, 3.0}));
        EXPECT_EQ(LConditionsParam::Pool().GetFreeCount(), free);
    }
    // Freed to the heap (AddressSanitizer checks the pairing), not kept as a pool block.
    EXPECT_EQ(LConditionsParam::Pool().GetBlockCount(), blocks);
    EXPECT_EQ(LConditionsParam::Pool().GetFreeCount(), free);
}

TEST(NotificationParams, HeapClassesStartWithTheirAnswerFieldsUnset)
{
    RCPtr<LControl> source(new LControl(nullptr, String(u"button")));
    const KeyCode key = KeyCode::FromVirtualKey(0x09, true, 0, kModifierShift);

    RCPtr<LSiblingKeyParam> sibling = LSiblingKeyParam::Create(key, source);
    EXPECT_EQ(sibling->mResult, -1); // nobody took the key
    EXPECT_EQ(sibling->mSource, source);
    EXPECT_TRUE(sibling->mKeyCode.Equals(key));

    RCPtr<LKeyParam> keyParam = LKeyParam::Create(key, 1);
    EXPECT_EQ(keyParam->mFromInput, 1);
    EXPECT_EQ(keyParam->mControls.GetCount(), 0u);
    keyParam->mControls.AddItem(source);
    keyParam.Reset();
    EXPECT_EQ(source->GetRefCount(), 2); // the sibling parameter's reference is left

    RCPtr<LTextValidationParams> validation = LTextValidationParams::Create(String(u"12,5"));
    EXPECT_TRUE(validation->mAccepted);
    validation->mText = String(u"12.5");
    EXPECT_EQ(validation->mInitialText, String(u"12,5"));

    RCPtr<LIndexedDataWithValueParam> checkBox = LIndexedDataWithValueParam::Create(nullptr, 4, 1.0);
    EXPECT_FALSE(checkBox->mData);
    EXPECT_EQ(checkBox->mIndex, 4);
    EXPECT_EQ(checkBox->mValue, 1.0);
}

// Parameters travel in notifications; the last reference may go on another thread than
// the one that made the object, while the window thread keeps making new ones.
TEST(NotificationParams, PoolsTakeReleasesFromOtherThreads)
{
    constexpr int kRounds = 2000;
    std::vector<RCPtr<LValueParam>> handedOver(kRounds);
    for (int i = 0; i < kRounds; ++i)
        handedOver[i] = LValueParam::Create(i / double(kRounds), i);

    std::thread releaser([&] {
        for (auto& param : handedOver)
            param.Reset();
    });
    for (int i = 0; i < kRounds; ++i)
    {
        RCPtr<LValueParam> local = LValueParam::Create(0.5, 1.0);
        RCPtr<LConditionsParam> conditions = LConditionsParam::Create(0, 1, {0.0, 0.0});
        ASSERT_TRUE(local && conditions);
    }
    releaser.join();
}
