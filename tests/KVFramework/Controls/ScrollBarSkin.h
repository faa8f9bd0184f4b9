#pragma once
// Skins of scroll bars for the tests of views that show them: a bar with its step buttons,
// channel and thumb, docked along an edge of the view up to its "corner".

#include "ControlsTestSupport.h"

namespace controltest {

// One axis of a layout, for the skin of a view with bars.
inline LayoutAxisSpec Spec(PositionReference position, float rel, double abs, float anchor,
                           SizeReference size, float sizeRel, double sizeAbs,
                           const char16_t* sizeControl = u"")
{
    LayoutAxisSpec spec = Axis(position, rel, abs, size, sizeRel, sizeAbs, anchor, true);
    spec.mSize.mControlName = String(sizeControl);
    return spec;
}

inline RCPtr<LControlDescriptor> Docked(const char16_t* className, const char16_t* name,
                                        const LayoutAxisSpec& x, const LayoutAxisSpec& y)
{
    RCPtr<LControlDescriptor> descriptor = Describe(className, name, 0, 0, 0, 0);
    descriptor->mLayout->SetAxisSpec(0, x);
    descriptor->mLayout->SetAxisSpec(1, y);
    return descriptor;
}

// A bar along the view's right (vertical) or bottom edge: its far edges reach to the corner
// (a size given by a control ends where that control begins), so it is as thick as the
// corner is across it and ends where the corner begins.
inline RCPtr<LControlDescriptor> BarDescriptor(bool vertical)
{
    const auto along = [&](PositionReference p, float rel, double abs, float anchor, SizeReference s,
                           float sizeRel,
                           double sizeAbs) { return Spec(p, rel, abs, anchor, s, sizeRel, sizeAbs); };
    const LayoutAxisSpec edge =
        Spec(PositionReference::Client, 1, 0, 1, SizeReference::Control, 0, 0, u"corner");
    const LayoutAxisSpec length =
        Spec(PositionReference::Client, 0, 0, 0, SizeReference::Control, 0, 0, u"corner");
    RCPtr<LControlDescriptor> bar = vertical ? Docked(u"Framework.ScrollBar", u"vBar", edge, length)
                                             : Docked(u"Framework.ScrollBar", u"hBar", length, edge);
    const LayoutAxisSpec across = along(PositionReference::Client, 0, 0, 0, SizeReference::Self, 0, 16);
    const auto part = [&](const char16_t* cls, const char16_t* name, const LayoutAxisSpec& onAxis) {
        return vertical ? Docked(cls, name, across, onAxis) : Docked(cls, name, onAxis, across);
    };
    bar->AddChild(part(u"Framework.Button", u"dec",
                       along(PositionReference::Client, 0, 0, 0, SizeReference::Self, 0, 16)));
    bar->AddChild(part(u"Framework.Button", u"inc",
                       along(PositionReference::Client, 1, 0, 1, SizeReference::Self, 0, 16)));
    RCPtr<LControlDescriptor> channel =
        part(u"Framework.ScrollChannel", u"channel",
             along(PositionReference::Client, 0, 16, 0, SizeReference::Client, 1, -32));
    channel->AddChild(part(u"Framework.Button", u"thumb",
                           along(PositionReference::Client, 0, 0, 0, SizeReference::Self, 0, 10)));
    bar->AddChild(channel);
    return bar;
}

} // namespace controltest
