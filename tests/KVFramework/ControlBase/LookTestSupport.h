#pragma once
// Skin records made in code for the tests of looks and visual parts: solid fills, parts
// docked by offsets, looks of a client part and parts around it.

#include "ControlBase/Look.h"

#include <initializer_list>

namespace KV::Testing {

inline RCPtr<LColorizer> Solid(uint32_t argb)
{
    ColorT color;
    return LColorizer::Create(u"fill", ColorType::SolidFill, color.FromARGB(argb));
}

inline RCPtr<LVisualPartDescriptor> FillPart(int32_t width, int32_t height, uint32_t argb,
                                             ResizeType resize = ResizeType::Stretch,
                                             float alphaModifier = 1.0f)
{
    return LVisualPartDescriptor::CreateFilled(u"part", Solid(argb), width, height, resize, alphaModifier,
                                               {});
}

// Offsets in the order left, top, right, bottom; each edge only when its bit is in given.
inline LDockedPart::Placement Offsets(int32_t given, int32_t left = 0, int32_t top = 0, int32_t right = 0,
                                      int32_t bottom = 0)
{
    LDockedPart::Placement placement;
    placement.mGivenOffsets = given;
    placement.mLeft = left;
    placement.mTop = top;
    placement.mRight = right;
    placement.mBottom = bottom;
    return placement;
}

inline constexpr int32_t kL = LDockedPart::kOffsetLeft;
inline constexpr int32_t kT = LDockedPart::kOffsetTop;
inline constexpr int32_t kR = LDockedPart::kOffsetRight;
inline constexpr int32_t kB = LDockedPart::kOffsetBottom;

struct DockedSpec
{
    RCPtr<LVisualPartDescriptor> part;
    LDockedPart::Placement placement;
};

inline RCPtr<LLookDescriptor> MakeLook(const RCPtr<LVisualPartDescriptor>& client,
                                       const LDockedPart::Placement& clientPlacement,
                                       std::initializer_list<DockedSpec> around = {})
{
    RCPtr<LLookDescriptor> look = LLookDescriptor::Create(u"look");
    if (client)
        look->SetClientPart(LDockedPart::Create(client, clientPlacement));
    for (const DockedSpec& spec : around)
        look->mNonClientParts.AddItem(LDockedPart::Create(spec.part, spec.placement));
    return look;
}

} // namespace KV::Testing
