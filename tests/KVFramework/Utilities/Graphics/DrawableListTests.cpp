#include "Graphics/ColorRectList.h"
#include "Graphics/Polyline.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

using namespace KV;

TEST(DrawableLists, HandlesAreNeverShared)
{
    std::set<GraphicsHandle> seen;
    PolylineT<float> line;
    line.AddItem({1, 2});
    ColorRectListT<float> rects;
    EXPECT_NE(0u, line.GetHandle());
    EXPECT_TRUE(seen.insert(line.GetHandle()).second);
    EXPECT_TRUE(seen.insert(rects.GetHandle()).second);

    // A copy is another object: it has the points but not the identity, and assigning
    // contents keeps the identity of the object assigned to.
    PolylineT<float> copy = line;
    EXPECT_EQ(1u, copy.GetCount());
    EXPECT_TRUE(seen.insert(copy.GetHandle()).second);
    const GraphicsHandle before = copy.GetHandle();
    copy = line;
    EXPECT_EQ(before, copy.GetHandle());

    // An object made where a freed one lived does not inherit its cache key.
    for (int i = 0; i < 100; ++i)
    {
        auto made = std::make_unique<PolylineT<float>>();
        EXPECT_TRUE(seen.insert(made->GetHandle()).second);
    }
}

TEST(DrawableLists, DefaultsAndParallelColours)
{
    PolylineT<float> line;
    EXPECT_EQ(1.0f, line.GetLineWidth());
    EXPECT_FALSE(line.IsChanged());

    ColorRectListT<float> rects;
    EXPECT_EQ(1.0f, rects.GetScaleX());
    EXPECT_EQ(1.0f, rects.GetScaleY());
    rects.AddItem({0, 0, 2, 2});
    rects.GetColors().AddItem(0xFF112233u);
    rects.SetScale(2.0f, 0.5f);
    EXPECT_EQ(0xFF112233u, *rects.GetColors().GetAt(0));
    EXPECT_EQ(2.0f, rects.GetScaleX());
    EXPECT_EQ(0.5f, rects.GetScaleY());
}
