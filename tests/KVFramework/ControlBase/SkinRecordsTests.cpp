#include "ControlBase/ControlDescriptor.h"

#include <gtest/gtest.h>

#include <vector>

using namespace KV;

namespace {

RCPtr<LControlDescriptor> MakeChild(const RCPtr<LControlDescriptor>& parent, const char16_t* name,
                                    int32_t layoutOrder)
{
    RCPtr<LControlDescriptor> child =
        LControlDescriptor::Create(String(u"Framework.Label"), String(name), parent);
    RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Create();
    layout->mLayoutOrder = layoutOrder;
    child->SetLayoutDescriptor(layout);
    parent->AddChild(child);
    return child;
}

std::vector<std::u16string> ChildNames(const LControlDescriptor& descriptor)
{
    std::vector<std::u16string> names;
    for (uint32_t i = 0; i < descriptor.mChildren.GetCount(); ++i)
        names.emplace_back((*descriptor.mChildren.GetAtConst(i))->mName.View());
    return names;
}

} // namespace

TEST(SkinRecords, ANewLayoutIsSixteenWideAndFortyHighAtTheClientOrigin)
{
    const RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Create();
    EXPECT_TRUE(layout->mClipToParent);
    EXPECT_EQ(layout->mZOrder, 0);
    EXPECT_EQ(layout->mTabStop, 0);
    EXPECT_TRUE(layout->mIsVisible);
    EXPECT_TRUE(layout->mEnabled);
    for (const LayoutPositionSpec* position : {&layout->mXPosition, &layout->mYPosition})
    {
        EXPECT_EQ(position->mReference, PositionReference::Client);
        EXPECT_EQ(position->mPlacementAnchor, 0.0f);
        EXPECT_EQ(position->mRel, 0.0f);
        EXPECT_EQ(position->mAbs, 0.0);
    }
    EXPECT_EQ(layout->mXSize.mReference, SizeReference::Self);
    EXPECT_EQ(layout->mXSize.mAbs, 16.0);
    EXPECT_EQ(layout->mYSize.mReference, SizeReference::Self);
    EXPECT_EQ(layout->mYSize.mAbs, 40.0);
    for (const LayoutSizeLimitSpec* limit :
         {&layout->mXMinSize, &layout->mYMinSize, &layout->mXMaxSize, &layout->mYMaxSize})
    {
        EXPECT_FALSE(limit->mToControl);
        EXPECT_EQ(limit->mAbs, 0.0);
    }
    EXPECT_EQ(layout->mTextOverflowX, TextOverflowX::Clip);
    EXPECT_EQ(layout->mTextOverflowY, TextOverflowY::Clip);
    EXPECT_EQ(layout->mLayoutOrder, 0);

    layout->mXSize.mControlName = String(u"other");
    const RCPtr<LLayoutDescriptor> copy = layout->Clone();
    layout->mXSize.mAbs = 99;
    EXPECT_EQ(copy->mXSize.mAbs, 16.0);
    EXPECT_EQ(copy->mXSize.mControlName, u"other");
}

TEST(SkinRecords, ChildrenSortByLayoutOrderAndEqualOnesKeepTheirOrder)
{
    const RCPtr<LControlDescriptor> parent =
        LControlDescriptor::Create(String(u"Framework.Panel"), String(u"panel"), nullptr);
    for (const auto& [name, order] : std::vector<std::pair<const char16_t*, int32_t>>{
             {u"two", 2}, {u"zero", 0}, {u"oneA", 1}, {u"minus", -1}, {u"oneB", 1}})
        EXPECT_EQ(MakeChild(parent, name, order)->mParent, parent.Get());
    parent->SortChildrenByLayoutOrder();
    EXPECT_EQ(ChildNames(*parent),
              (std::vector<std::u16string>{u"minus", u"zero", u"oneA", u"oneB", u"two"}));
}

TEST(SkinRecords, ACloneSharesItsChildrenAndRecords)
{
    const RCPtr<LControlDescriptor> parent =
        LControlDescriptor::Create(String(u"Framework.Panel"), String(u"panel"), nullptr);
    const RCPtr<LControlDescriptor> original = MakeChild(parent, u"row", 0);
    const RCPtr<LControlDescriptor> grandChild = MakeChild(original, u"cell", 0);
    original->SetSkinDescriptor(LSkinDescriptor::Create(String(u"skin")));
    original->SetCreateParams(LStringTable::Create());

    const RCPtr<LControlDescriptor> clone = original->Clone();
    EXPECT_EQ(clone->mParent, parent.Get());
    EXPECT_EQ(clone->mSkin, original->mSkin);
    EXPECT_EQ(clone->mLayout, original->mLayout);
    EXPECT_EQ(clone->mCreateParams, original->mCreateParams);
    ASSERT_EQ(clone->mChildren.GetCount(), 1u);
    grandChild->mName = String(u"renamed");
    EXPECT_EQ((*clone->mChildren.GetAtConst(0))->mName, u"renamed");
    clone->AddChild(LControlDescriptor::Create(String(u"x"), String(u"only in the clone"), clone));
    EXPECT_EQ(original->mChildren.GetCount(), 1u);
}

TEST(SkinRecords, PartsNeedAnImageOrAFillAndLookListsStartEmpty)
{
    const LVisualPartDescriptor::ImageArea noImage;
    const LVisualPartDescriptor::ImageArea image{String(u"::a.png"), 1, 2, 30, 40};
    EXPECT_FALSE(
        LVisualPartDescriptor::Create(String(u"p"), noImage, ResizeType::Tile, nullptr, 1.0f, noImage));
    EXPECT_FALSE(
        LVisualPartDescriptor::CreateFilled(String(u"p"), nullptr, 1, 1, ResizeType::Tile, 1.0f, noImage));

    const RCPtr<LVisualPartDescriptor> part =
        LVisualPartDescriptor::Create(String(u"p"), image, ResizeType::Center, nullptr, 0.5f, noImage);
    ASSERT_TRUE(part);
    EXPECT_EQ(part->mWidth, 30);
    EXPECT_EQ(part->mHeight, 40);
    EXPECT_EQ(part->mResizeType, ResizeType::Center);

    const RCPtr<LLookList> looks = MakeRCPtr<LLookList>(3u);
    *looks->GetAt(0) = LLookDescriptor::Create(String(u"normal"));
    EXPECT_TRUE(*looks->GetAt(0));
    EXPECT_FALSE(*looks->GetAt(1));
    EXPECT_FALSE(*looks->GetAt(2));
}
