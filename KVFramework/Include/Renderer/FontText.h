#pragma once
// LFontText: a text laid out in lines with a font, for labels, layout and the text box.
//
// The text is split at line feeds (a carriage return stays part of its line); with word
// wrap on, each paragraph is broken to the box width at blanks and after hyphens, never
// inside a word that has no hyphen, and the blanks at a break are dropped. The lines are
// then placed in the box by the horizontal and vertical alignment factors (0 left or
// top, 0.5 centre, 1 right or bottom).
//
// Everything is measured through the application's measurement renderer, so layout
// needs no window. Lines and their rectangles are caches: every setter that changes the
// result empties them, and the next query lays the text out again. Without a
// measurement renderer (or a font) nothing can be measured: the queries then answer 0 and
// keep nothing.
//
// Window thread only.

#include "Graphics/Geometry.h"
#include "Renderer/Font.h"
#include "Renderer/MeasurementRenderer.h"
#include "Storage/StringArray.h"

#include <cstdint>
#include <vector>

namespace KV {

class LFontText : public virtual LRefCountedObject
{
public:
    static RCPtr<LFontText> Create(const String& text, const RCPtr<LFont>& font);

    // Each returns true when the value changed, and the layout is then made again.
    bool SetText(const String& text);
    // True when the new font lays out differently (another description, or one of the
    // two is none); the font object is taken whenever it is another one.
    bool SetFont(const RCPtr<LFont>& font);
    bool SetWordWrap(bool wrap);
    // The box the lines are placed in; its width is the wrap width.
    bool SetBoxSize(int32_t width, int32_t height);
    bool SetAlignment(float horizontal, float vertical);

    const String& GetText() const noexcept { return mText; }
    const RCPtr<LFont>& GetFont() const noexcept { return mFont; }
    bool GetWordWrap() const noexcept { return mWordWrap; }
    int32_t GetBoxWidth() const noexcept { return mBoxWidth; }
    int32_t GetBoxHeight() const noexcept { return mBoxHeight; }
    float GetHorizontalAlignment() const noexcept { return mHorizontalAlignment; }
    float GetVerticalAlignment() const noexcept { return mVerticalAlignment; }

    // The number of placed lines, laying the text out when needed. An empty text is one
    // empty line.
    int32_t GetLineCount();
    // The rectangle of a line, relative to the box: x and y where it is placed, the
    // measured width and height. An all-zero rectangle for an index past the lines.
    const RectT<float>& GetLine(int32_t index);
    // The text of a placed line; empty for an index past the lines.
    String GetLineText(int32_t index);

    // The number of lines the text takes at that width, times the font height. The
    // layout kept is not touched.
    int32_t GetHeightForWidth(int32_t width);
    // The width of the widest line of the text without wrapping, plus 0.99, truncated:
    // rounded up unless it lies within a hundredth above a whole pixel.
    int32_t GetMaxLineWidth();
    // The extent of the placed lines together with the box origin.
    SizeT<int32_t> GetBounds();

    // The number of leading characters of the text that make its first line at the
    // width: all of them when the text fits; otherwise up to the last blank before which
    // it fits, or after a hyphen of the last word when that part fits; at least one
    // character, and never a break inside a word without hyphen.
    int32_t FitCharacters(LMeasurementRenderer& measurer, int32_t width, const String& text);
    // The text's lines wrapped at the width, into lines (emptied first). Every paragraph
    // gives at least one line; the blanks at a break are dropped.
    void WrapLines(LMeasurementRenderer& measurer, int32_t width, StringArray& lines);
    // The rectangles of the lines, placed in the box.
    void PlaceLines(LMeasurementRenderer& measurer);

protected:
    ~LFontText() override = default;

private:
    LFontText(const String& text, const RCPtr<LFont>& font) : mText(text), mFont(font) {}

    void ClearLayout();
    // The measured rectangle with a left bearing folded into the width, so that x is 0.
    RectT<float> Measure(LMeasurementRenderer& measurer, const String& text) const;
    float MeasureWidth(LMeasurementRenderer& measurer, const String& text) const;
    int32_t GetLineHeight() const;
    // The measurement renderer when there is one and a font to measure in.
    RCPtr<LMeasurementRenderer> GetMeasurer() const;
    // Lays out and places the text when the caches are empty; false without a measurer.
    bool EnsureLayout();

    String mText;
    RCPtr<LFont> mFont;
    float mHorizontalAlignment = 0.0f;
    float mVerticalAlignment = 0.0f;
    bool mWordWrap = false;
    int32_t mBoxWidth = 0;
    int32_t mBoxHeight = 0;
    StringArray mLines;
    std::vector<RectT<float>> mLineRects;
};

} // namespace KV
