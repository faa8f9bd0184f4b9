#pragma once
// LControlLooks: the looks of one control with their weights. A look is shown while its
// weight is above 0; shown looks are drawn over each other in index order, each with its
// weight as a factor on the renderer's alpha, so that a control can fade from one look
// into another.
//
// Window thread only.

#include "ControlBase/Look.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace KV {

class LRenderer;

class LControlLooks
{
public:
    // Appends the look (null allowed) with weight 0; its index.
    int32_t AddLook(const RCPtr<LLook>& look);
    // E_INVALIDARG for an index past the weights. A weight outside 0..1 is not stored;
    // exclusive sets every other weight to 0. changed tells whether any weight moved.
    KVRESULT SetLookWeight(int32_t index, float weight, bool exclusive, bool& changed);
    float GetLookWeight(int32_t index) const;
    // Empties the list; the weights stay, so that the looks added again show as before.
    void RemoveLooks() { mLooks.clear(); }
    int32_t GetLookCount() const { return static_cast<int32_t>(mLooks.size()); }

    // The look at the index; for an index outside the list the first shown look, else the
    // first look there is, else null.
    RCPtr<LLook> GetLook(int32_t index) const;
    // The index of the first shown look; -1 when none is shown.
    int32_t GetShownLookIndex() const;
    // The client rectangle of the look GetLook chooses; the whole control without one.
    RectT<double> GetClientRect(int32_t index, const SizeT<double>& controlSize) const;

    // True when no shown look shows anything at the point.
    bool IsTransparentAt(const PointT<double>& point) const;
    // The colour of the look GetLook chooses; transparent white without one.
    uint32_t GetColorAtPoint(const PointT<double>& point, int32_t index) const;

    // Places every look for the control's size.
    void SetSize(const SizeT<int32_t>& size);

    // The layers of a control's own drawing, each over every shown look in index order
    // under that look's weight: the client areas, then the parts around them.
    void DrawClientAreas(LRenderer& renderer, const RectRegion& dirty) const;
    void DrawNonClientParts(LRenderer& renderer, const RectRegion& dirty) const;
    // The labels, each followed by what the control draws inside that look (its children),
    // under the same weight.
    void DrawLabels(LRenderer& renderer, const RectRegion& dirty, const PointT<int32_t>& offset,
                    const std::function<void(LLook&)>& inside) const;

private:
    // Calls draw for each shown look inside a pushed state whose alpha carries the weight.
    void ForEachShownLook(LRenderer& renderer, const std::function<void(LLook&)>& draw) const;

    std::vector<RCPtr<LLook>> mLooks;
    std::vector<float> mWeights;
};

} // namespace KV
