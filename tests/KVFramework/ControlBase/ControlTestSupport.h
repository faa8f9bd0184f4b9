#pragma once
// Controls for the tests of layout, drawing and invalidation: a control whose scroll
// offset and opacity the test sets and whose own drawing hooks log, and layouts
// written in one line.

#include "ControlBase/Control.h"
#include "Renderer/Renderer.h"

#include "LookTestSupport.h"

#include <string>
#include <vector>

namespace KV::Testing {

class TestControl : public LControl
{
public:
    TestControl(const RCPtr<LControl>& parent, const char16_t* name) : LControl(parent, String(name)) {}

    void SetScroll(const PointT<double>& offset) { mScrollOffset = offset; }
    void SetOpacity(float opacity) { mOpacity = opacity; }

    // The hooks write "<name> content" and "<name> overlay" into the log when there is one.
    std::vector<std::string>* mLog = nullptr;
    int32_t DrawContent(LRenderer&) override { return Note("content"); }
    int32_t DrawOverlay(LRenderer&) override { return Note("overlay"); }

    int mChildRectChanges = 0;
    KVRESULT OnChildRectChanged(const RCPtr<LControl>& child) override
    {
        ++mChildRectChanges;
        return LControl::OnChildRectChanged(child);
    }

protected:
    ~TestControl() override = default;

private:
    int32_t Note(const char* what)
    {
        if (mLog)
            mLog->push_back(std::string(GetName().ToNarrow().View()) + " " + what);
        return 0;
    }
};

inline RCPtr<TestControl> MakeControl(const RCPtr<LControl>& parent, const char16_t* name)
{
    RCPtr<TestControl> control(new TestControl(parent, name));
    control->GetLayout();
    return control;
}

// One axis: the position's reference, relative and absolute parts and anchor, the size's.
inline LayoutAxisSpec Axis(PositionReference position, float rel, double abs, SizeReference size,
                           float sizeRel, double sizeAbs, float anchor = 0, bool docked = false)
{
    LayoutAxisSpec spec;
    spec.mPosition.mReference = position;
    spec.mPosition.mRel = rel;
    spec.mPosition.mAbs = abs;
    spec.mPosition.mPlacementAnchor = anchor;
    spec.mDocked = docked;
    spec.mSize.mReference = size;
    spec.mSize.mRel = sizeRel;
    spec.mSize.mAbs = sizeAbs;
    return spec;
}

// At (x, y) of the parent's client area, w x h.
inline void Place(LControl& control, double x, double y, double w, double h)
{
    control.SetLayout(Axis(PositionReference::Client, 0, x, SizeReference::Self, 0, w),
                      Axis(PositionReference::Client, 0, y, SizeReference::Self, 0, h));
}

// A look of one colour with its client area inset by the offsets.
inline RCPtr<LLook> PlainLook(uint32_t argb, int32_t left = 0, int32_t top = 0, int32_t right = 0,
                              int32_t bottom = 0)
{
    return LLook::Create(MakeLook(FillPart(1, 1, argb), Offsets(kL | kT | kR | kB, left, top, right, bottom)),
                         false);
}

} // namespace KV::Testing
