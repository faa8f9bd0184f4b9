#include "ControlBase/ControlLooks.h"

#include "LookTestSupport.h"
#include "RecordingRenderer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace KV;
using namespace KV::Testing;

namespace {

RCPtr<LLook> Filled(uint32_t argb)
{
    const RCPtr<LLook> look = LLook::Create(MakeLook(FillPart(1, 1, argb), Offsets(15)), false);
    look->SetSize({20, 10});
    return look;
}

LControlLooks ThreeLooks()
{
    LControlLooks looks;
    looks.AddLook(Filled(0xFFFF0000));
    looks.AddLook(Filled(0xFF00FF00));
    looks.AddLook(Filled(0xFF0000FF));
    return looks;
}

std::vector<float> Weights(const LControlLooks& looks)
{
    std::vector<float> weights;
    for (int32_t i = 0; i < looks.GetLookCount(); ++i)
        weights.push_back(looks.GetLookWeight(i));
    return weights;
}

TEST(ControlLooks, WeightsChangeOnlyWithinRangeAndExclusiveClearsTheOthers)
{
    struct Step
    {
        const char* name;
        int32_t index;
        float weight;
        bool exclusive;
        KVRESULT result;
        bool changed;
        std::vector<float> weights;
    } const steps[] = {
        {"first shown", 0, 1.0f, false, S_OK, true, {1, 0, 0}},
        {"show the third alone", 2, 1.0f, true, S_OK, true, {0, 0, 1}},
        {"again: no change", 2, 1.0f, true, S_OK, false, {0, 0, 1}},
        {"out of range, not exclusive", 1, 1.5f, false, S_OK, false, {0, 0, 1}},
        {"blend in", 0, 0.25f, false, S_OK, true, {0.25f, 0, 1}},
        {"out of range, exclusive: the others still drop", 1, 1.5f, true, S_OK, true, {0, 0, 0}},
        {"index past the looks", 3, 1.0f, false, E_INVALIDARG, false, {0, 0, 0}},
        {"negative index", -1, 1.0f, false, E_INVALIDARG, false, {0, 0, 0}},
    };
    LControlLooks looks = ThreeLooks();
    for (const Step& s : steps)
    {
        SCOPED_TRACE(s.name);
        bool changed = true;
        EXPECT_EQ(looks.SetLookWeight(s.index, s.weight, s.exclusive, changed), s.result);
        EXPECT_EQ(changed, s.changed);
        EXPECT_EQ(Weights(looks), s.weights);
    }
}

TEST(ControlLooks, LookOutsideTheListIsTheShownOneElseTheFirst)
{
    LControlLooks looks;
    EXPECT_FALSE(looks.GetLook(0));
    EXPECT_EQ(looks.GetShownLookIndex(), -1);
    EXPECT_EQ(looks.GetClientRect(-1, {30, 12}), (RectT<double>{0, 0, 30, 12}));

    looks.AddLook(nullptr);
    const RCPtr<LLook> second = Filled(0xFF00FF00);
    const RCPtr<LLook> third = Filled(0xFF0000FF);
    looks.AddLook(second);
    looks.AddLook(third);
    EXPECT_EQ(looks.GetLook(-1).Get(), second.Get());
    bool changed = false;
    looks.SetLookWeight(2, 0.5f, false, changed);
    EXPECT_EQ(looks.GetShownLookIndex(), 2);
    EXPECT_EQ(looks.GetLook(7).Get(), third.Get());
    EXPECT_FALSE(looks.GetLook(0));
    // A null look with weight is not shown.
    looks.SetLookWeight(0, 1.0f, false, changed);
    EXPECT_EQ(looks.GetShownLookIndex(), 2);
    EXPECT_EQ(looks.GetClientRect(-1, {99, 99}), (RectT<double>{0, 0, 20, 10}));
}

TEST(ControlLooks, TransparentOnlyWhereNoShownLookShowsAnything)
{
    LControlLooks looks;
    looks.AddLook(Filled(0x00000000));
    looks.AddLook(Filled(0xFF00FF00));
    EXPECT_TRUE(looks.IsTransparentAt({5, 5})); // every weight 0
    bool changed = false;
    looks.SetLookWeight(0, 1.0f, false, changed);
    EXPECT_TRUE(looks.IsTransparentAt({5, 5}));
    looks.SetLookWeight(1, 0.5f, false, changed);
    EXPECT_FALSE(looks.IsTransparentAt({5, 5}));
    EXPECT_TRUE(looks.IsTransparentAt({25, 5}));
    EXPECT_EQ(looks.GetColorAtPoint({5, 5}, 1), 0xFF00FF00u);
    EXPECT_EQ(looks.GetColorAtPoint({5, 5}, -1), 0x00000000u);
}

TEST(ControlLooks, LayersDrawEveryShownLookUnderItsWeight)
{
    const RCPtr<RecordingRenderer> renderer = RecordingRenderer::Create();
    const RCPtr<RecordingContext> context = RecordingContext::Create();
    renderer->RenderStart(context);
    renderer->mLogAlpha = true;
    LControlLooks looks = ThreeLooks();
    bool changed = false;
    looks.SetLookWeight(0, 0.25f, false, changed);
    looks.SetLookWeight(2, 0.75f, false, changed);
    RectRegion dirty;
    dirty.AddRect({0, 0, 20, 10});

    looks.DrawClientAreas(*renderer, dirty);
    looks.DrawNonClientParts(*renderer, dirty); // these looks have none
    int inside = 0;
    looks.DrawLabels(*renderer, dirty, {}, [&](LLook&) {
        ++inside;
        renderer->DrawLine({0, 0}, {1, 1}, ColorT{}, 1);
    });
    std::vector<std::string> drawn;
    for (const std::string& call : renderer->Take())
        if (call.rfind("FillRect", 0) == 0 || call.rfind("DrawLine", 0) == 0)
            drawn.push_back(call);
    EXPECT_EQ(drawn, (std::vector<std::string>{
                         "FillRect 0,0,20,10 #FFFF0000 blend alpha 0.25",
                         "FillRect 0,0,20,10 #FF0000FF blend alpha 0.75",
                         "DrawLine 0,0 1,1 #00000000 alpha 0.25",
                         "DrawLine 0,0 1,1 #00000000 alpha 0.75",
                     }));
    EXPECT_EQ(inside, 2);
    EXPECT_EQ(context->GetSavedStates().size(), 0u);
    renderer->RenderFinish(context);
}

TEST(ControlLooks, WeightMultipliesTheAlphaAlreadyThere)
{
    const RCPtr<RecordingRenderer> renderer = RecordingRenderer::Create();
    const RCPtr<RecordingContext> context = RecordingContext::Create();
    renderer->RenderStart(context);
    renderer->mLogAlpha = true;
    LControlLooks looks;
    looks.AddLook(Filled(0xFFFF0000));
    bool changed = false;
    looks.SetLookWeight(0, 0.5f, false, changed);
    renderer->PushState();
    context->GetCurrentState().mAlpha = 0.8f; // the control's opacity
    RectRegion dirty;
    dirty.AddRect({0, 0, 20, 10});
    looks.DrawClientAreas(*renderer, dirty);
    std::vector<std::string> drawn;
    for (const std::string& call : renderer->Take())
        if (call.rfind("FillRect", 0) == 0)
            drawn.push_back(call);
    EXPECT_EQ(drawn, std::vector<std::string>{"FillRect 0,0,20,10 #FFFF0000 blend alpha 0.4"});
    EXPECT_FLOAT_EQ(context->GetCurrentState().mAlpha, 0.8f);
    renderer->PopState();
    renderer->RenderFinish(context);
}

} // namespace
