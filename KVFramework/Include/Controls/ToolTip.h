#pragma once
// LToolTip: the tool tip, a control made from the skin's "toolTip" descriptor as a child
// of the control whose tip it shows. It appears near the pointer, inside the window,
// half a second after Show (at once when another tip was hidden a moment ago, so that
// moving along a row of controls keeps tips coming), and goes after five seconds or on
// Hide, which also takes it out of its parent.

#include "Controls/ControlClass.h"

namespace KV {

class LToolTip : public LControl
{
public:
    // The timing and placement of every tip.
    static constexpr Milliseconds kShowDelayMs = 500;
    static constexpr Milliseconds kDisplayTimeMs = 5000;
    static constexpr Milliseconds kImmediateReshowMs = 50;
    static constexpr int32_t kPointerOffsetY = 20;
    static constexpr int32_t kWindowMarginX = 8;

    enum class ShowState
    {
        Hidden,
        Pending, // waiting for the show delay
        Shown,
    };

    LToolTip(const RCPtr<LControl>& parent, const String& name);

    // A tip reads no attributes: it is never focusable.
    KVRESULT ApplyAttributes() override;
    // A new tip stays hidden until shown.
    KVRESULT PostInitialize() override;

    // Starts showing the tip, whose text the caller has set. Returns 0.
    KVRESULT Show();
    // Ends the tip and asks the parent to remove it. Returns 0.
    KVRESULT Hide();
    // Puts the tip below and right of the pointer, inside the window.
    void Place();
    ShowState GetShowState() const noexcept { return mShowState; }

    // A tip is hit wherever it is: the pointer never falls through it.
    bool IsTransparentAt(const PointT<double>&) override { return false; }
    void OnIdle() override;

protected:
    ~LToolTip() override;

private:
    void Appear(Milliseconds now);

    ShowState mShowState = ShowState::Hidden;
    Milliseconds mShowStateTime = 0;
};

} // namespace KV
