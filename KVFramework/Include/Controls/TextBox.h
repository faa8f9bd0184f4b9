#pragma once
// LTextBox: a one-line editable text field. The user places a caret with the pointer or
// the keys, selects, types, deletes, cuts, copies and pastes; the owner hears of every
// change ("NID_TEXTBOX_TEXT_CHANGE") and may check and correct the text when the user
// confirms it ("NID_TEXTBOX_VALIDATING", then "NID_TEXTBOX_VALIDATED"). The focus leaves
// the box only with a text the owner accepts.
//
// The text is the control's label, drawn by its looks; the box adds the caret, the
// selection's look, a hint shown while it is empty and unfocused, and the edit menu.
// Positions count UTF-16 units: position i stands before unit i.
//
// Line breaks and control characters never enter the text, typed or pasted; an owner may
// restrict the characters further (a number field takes digits only).

#include "Controls/ScrollView.h"

namespace KV {

class LMenuDescriptor;
class LTextValidationParams;

class LTextBox : public LScrollView
{
public:
    // The looks: idle, hot (hovered or dragged), focused, focused and hot, disabled, the
    // rest of the control beside the hint, the hint, and the selection.
    static constexpr int32_t kLookNormal = 0;
    static constexpr int32_t kLookHot = 1;
    static constexpr int32_t kLookBesideHint = 2;
    static constexpr int32_t kLookFocused = 3;
    static constexpr int32_t kLookFocusedHot = 4;
    static constexpr int32_t kLookDisabled = 6;
    static constexpr int32_t kLookHint = 9;
    static constexpr int32_t kLookSelection = 10;
    static constexpr int32_t kLookSelectionHot = 11;

    // How long the caret shows and hides while it blinks, in seconds.
    static constexpr double kCaretShownTime = 0.5;
    static constexpr double kCaretHiddenTime = 0.3;

    LTextBox(const RCPtr<LControl>& parent, const String& name);

    // ---- text ----
    // 0 when the text changed, 1 when it was the same. Every change clears the selection
    // and sends "NID_TEXTBOX_TEXT_CHANGE"; resetCaret puts the caret at the start.
    KVRESULT ApplyText(const String& text, bool resetCaret);
    // ApplyText with the caret at the start.
    KVRESULT SetText(const String& text) override;
    int32_t GetTextLength() const noexcept { return GetText().GetLength(); }
    const String& GetHintText() const noexcept { return mHintText; }

    // Typed and pasted text keeps only these characters while the restriction is on.
    void SetAllowedCharacters(const String& characters) { mAllowedCharacters = characters; }
    void SetInputRestricted(bool restricted) noexcept { mInputRestricted = restricted; }
    // Whether a typed or pasted character may enter the text.
    bool AcceptsCharacter(char16_t c) const;
    // The text with every character the box does not accept left out.
    String FilterInput(const String& text) const;

    // ---- caret and selection ----
    // E_INVALIDARG outside 0 .. length; 1 when the caret stays where it is (unless
    // forced), else 0. A move shows the caret and restarts its blink.
    KVRESULT SetCaret(int32_t position, bool force);
    int32_t GetCaret() const noexcept { return mCaret; }
    // Selects the units from the lesser to the greater of the two, both included; (0, -1)
    // selects all, a first of -1 clears. Other values out of range do nothing.
    void SelectChars(int32_t first, int32_t last);
    void SetSelection(int32_t start, int32_t count, int32_t anchor);
    // Selects between the anchor and the position, then moves the caret there.
    void ExtendSelectionTo(int32_t position);
    void ClearSelection();
    int32_t GetSelectionStart() const noexcept { return mSelectionStart; }
    int32_t GetSelectionLength() const noexcept { return mSelectionLength; }
    int32_t GetAnchor() const noexcept { return mAnchor; }
    bool IsCaretShown() const noexcept { return mCaretShown; }
    // The caret's place and size, in content coordinates.
    const RectT<float>& GetCaretRect() const noexcept { return mCaretRect; }

    // Word boundaries, from the caret.
    int32_t FindPrevWordStart() const;
    int32_t FindNextWordStart() const;

    // ---- editing ----
    // Each change goes through ApplyText, the caret kept, and moves the caret only when
    // the text changed.
    void InsertChar(char16_t c);
    void InsertText(const String& text);
    void DeleteRange(int32_t start, int32_t count);
    void DeleteSelection();
    // E_FAIL without a selection; else ApplyText's answer.
    KVRESULT ReplaceSelection(const String& text);

    // Asks the owner about the text: "NID_TEXTBOX_VALIDATING" may correct or refuse it; a
    // corrected text is taken; an accepted one is announced as "NID_TEXTBOX_VALIDATED".
    RCPtr<LTextValidationParams> Validate();

    // ---- geometry (TextBoxGeometry.cpp) ----
    // The label's box of look 0, in control coordinates.
    RectT<float> GetTextArea();
    // The rectangle of unit i in content coordinates: all zero outside 0 .. length.
    RectT<float> GetCharRect(int32_t index);
    // From the left edge of the lower unit to the right edge of the higher one.
    RectT<float> GetRangeRect(int32_t first, int32_t last);
    // The position nearest the point (control coordinates).
    int32_t GetCharIndexAtPoint(const PointT<double>& point);
    void UpdateCaretGeometry();
    // Shows the looks of the state: disabled, hint, focus, hot and selection.
    void UpdateLooks();

    // ---- the control ----
    KVRESULT Initialize() override;
    KVRESULT ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) override;
    void ProcessRootWindowAquired() override;
    KVRESULT SetFocus(bool forward) override;
    bool CanReleaseFocus() override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    void OnLeftButtonDown(const RCPtr<LMouseButtonParam>& param) override;
    void OnMouseMoved(const RCPtr<LPointWithModifiersParam>& param) override;
    void HandleLeftClick(const RCPtr<LMouseButtonParam>& param) override;
    KVRESULT OnKeyDown(const RCPtr<LKeyParam>& param) override;
    void OnIdle() override;
    // A text longer than the box scrolls sideways: the selection follows the pointer of a
    // drag while the text scrolls under it, and the scrolling stops at either end.
    PointT<double> SetScrollOffset(const PointT<double>& offset) override;
    // How far the text may scroll sideways: to its end and the caret after it.
    double GetLargestScrollX();
    int32_t DrawContent(LRenderer& renderer) override;
    String GetToolTipText() override;

    // Cut, copy, paste and delete, made when the box comes into a window that has the
    // framework's texts; empty before. It is the box's context menu.
    const RCPtr<LMenuDescriptor>& GetEditMenu() const noexcept { return mEditMenu; }
    // The edit items are enabled as the clipboard service can carry them out; other items
    // are not the box's (1).
    KVRESULT GetMenuItemState(const RCPtr<LMenuDescriptor>& menu, int32_t itemIndex, const String& itemId,
                              LMenuItemInfo& info) override;

    bool IsEditTarget() const override { return true; }
    bool CanPerformEdit(int request) override;
    int PerformEdit(int request) override;

    // A row chosen in the edit menu comes back as its command; the clipboard service
    // carries it out on the edit target, as it answered the row's state.
    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;

protected:
    ~LTextBox() override;

private:
    // A key press with a virtual key; 0 when handled.
    KVRESULT HandleVirtualKey(uint32_t code);
    // Moves the caret one unit with Shift held.
    void ExtendByOne(int32_t step);
    // The text of the clipboard, filtered; false when it holds none.
    bool GetClipboardText(String& text) const;
    void PutOnClipboard(const String& text) const;
    // Shows the caret and starts its blink period anew.
    void RestartBlink();
    double Now() const;
    // Gives look 9 the hint text, when there are both.
    void ShowHintInLook();
    // The width of the text in the control's font, through the application's measurer.
    RectT<float> Measure(const String& text) const;
    // Where the first laid-out line of look 0 starts, in control coordinates.
    PointT<float> GetLineOrigin();
    void InvalidateAll();
    void BuildEditMenu();
    // Scrolls the text sideways just enough to show the caret.
    void ScrollCaretIntoView();
    // A drag that leaves the text area scrolls the text towards the pointer, the faster
    // the farther; back inside, it stops.
    void AutoScrollTowards(double x);

    String mHintText;
    int32_t mCaret = 0;
    int32_t mSelectionStart = 0;
    int32_t mSelectionLength = 0;
    int32_t mAnchor = 0;
    bool mTextChanged = false;
    RectT<float> mCaretRect;
    bool mInScrollUpdate = false;
    bool mCaretShown = true;
    double mNextBlinkTime = 0;
    String mAllowedCharacters;
    bool mInputRestricted = false;
    RCPtr<LMenuDescriptor> mEditMenu;
};

} // namespace KV
