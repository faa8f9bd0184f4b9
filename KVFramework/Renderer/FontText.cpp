#include "Renderer/FontText.h"

#include "Renderer/ApplicationMeasurer.h"

#include <algorithm>

namespace KV {

namespace {

constexpr char16_t kLineBreak[] = u"\n";
constexpr char16_t kBlank = u' ';
constexpr char16_t kHyphen = u'-';
// Bounds are kept to the range in which a float still holds every whole number.
constexpr float kBoundsLimit = 8388608.0f;

int32_t LastIndexOf(const String& text, char16_t character)
{
    const size_t at = text.View().rfind(character);
    return at == std::u16string_view::npos ? -1 : static_cast<int32_t>(at);
}

// The rest of a paragraph after a break, without the blanks it starts with; nothing when
// it holds nothing else.
String RemainderAfter(const String& paragraph, int32_t count)
{
    const String rest = paragraph.MidFrom(count);
    const std::u16string_view text = rest.View();
    if (text.find_first_not_of(String::kBlanks) == std::u16string_view::npos)
        return String();
    return rest.TrimLeft();
}

} // namespace

RCPtr<LFontText> LFontText::Create(const String& text, const RCPtr<LFont>& font)
{
    return RCPtr<LFontText>(new LFontText(text, font));
}

void LFontText::ClearLayout()
{
    mLines.Clear();
    mLineRects.clear();
}

bool LFontText::SetText(const String& text)
{
    if (mText.SharesBufferWith(text) || mText.Equals(text))
        return false;
    mText = text;
    ClearLayout();
    return true;
}

bool LFontText::SetFont(const RCPtr<LFont>& font)
{
    const bool differs = (!mFont != !font) || (mFont && font && mFont->IsDifferent(*font));
    if (mFont.Get() != font.Get())
        mFont = font;
    if (differs)
        ClearLayout();
    return differs;
}

bool LFontText::SetWordWrap(bool wrap)
{
    if (mWordWrap == wrap)
        return false;
    mWordWrap = wrap;
    ClearLayout();
    return true;
}

bool LFontText::SetBoxSize(int32_t width, int32_t height)
{
    if (mBoxWidth == width && mBoxHeight == height)
        return false;
    mBoxWidth = width;
    mBoxHeight = height;
    ClearLayout();
    return true;
}

bool LFontText::SetAlignment(float horizontal, float vertical)
{
    if (mHorizontalAlignment == horizontal && mVerticalAlignment == vertical)
        return false;
    mHorizontalAlignment = horizontal;
    mVerticalAlignment = vertical;
    // The lines stay as they are; only where they lie changes.
    mLineRects.clear();
    return true;
}

RCPtr<LMeasurementRenderer> LFontText::GetMeasurer() const
{
    return mFont ? GetApplicationMeasurementRenderer() : nullptr;
}

int32_t LFontText::GetLineHeight() const
{
    // Unknown metrics (-1) take no room.
    return mFont ? std::max(mFont->GetHeight(), 0) : 0;
}

RectT<float> LFontText::Measure(LMeasurementRenderer& measurer, const String& text) const
{
    RectT<float> measured = measurer.MeasureText(text, mFont);
    if (measured.x != 0.0f)
    {
        measured.width += measured.x;
        measured.x = 0.0f;
    }
    return measured;
}

float LFontText::MeasureWidth(LMeasurementRenderer& measurer, const String& text) const
{
    return Measure(measurer, text).width;
}

int32_t LFontText::FitCharacters(LMeasurementRenderer& measurer, int32_t width, const String& text)
{
    const float limit = static_cast<float>(width);
    if (MeasureWidth(measurer, text) < limit)
        return text.GetLength();

    String candidate = text;
    int32_t fit = 0;
    for (;;)
    {
        const int32_t blank = LastIndexOf(candidate, kBlank);
        if (blank >= 1)
        {
            const String beforeBlank = candidate.Left(blank);
            if (MeasureWidth(measurer, beforeBlank) > limit)
            {
                candidate = beforeBlank;
                continue;
            }
            // A hyphen in the word after the blank may carry part of that word along.
            const int32_t afterHyphen = LastIndexOf(candidate, kHyphen) + 1;
            fit = afterHyphen > blank && MeasureWidth(measurer, candidate.Left(afterHyphen)) <= limit
                      ? afterHyphen
                      : blank;
            break;
        }
        // One word: it breaks only after a hyphen that is not its last character.
        const int32_t hyphen = LastIndexOf(candidate.Left(candidate.GetLength() - 1), kHyphen);
        if (hyphen < 0)
        {
            fit = candidate.GetLength();
            break;
        }
        const String throughHyphen = candidate.Left(hyphen + 1);
        if (MeasureWidth(measurer, throughHyphen) <= limit)
        {
            fit = hyphen + 1;
            break;
        }
        candidate = throughHyphen;
    }
    return fit < 1 ? candidate.GetLength() : fit;
}

void LFontText::WrapLines(LMeasurementRenderer& measurer, int32_t width, StringArray& lines)
{
    lines.Clear();
    const StringArray paragraphs = mText.Split(kLineBreak);
    for (uint32_t i = 0; i < paragraphs.GetCount(); ++i)
    {
        String paragraph = *paragraphs.GetAtConst(i);
        int32_t count = FitCharacters(measurer, width, paragraph);
        String pending = count < paragraph.GetLength() ? paragraph.Left(count) : paragraph;
        while (count < paragraph.GetLength())
        {
            paragraph = RemainderAfter(paragraph, count);
            if (paragraph.IsEmpty())
                break;
            lines.AddItem(pending);
            count = FitCharacters(measurer, width, paragraph);
            pending = paragraph.Left(count);
        }
        lines.AddItem(pending);
    }
}

void LFontText::PlaceLines(LMeasurementRenderer& measurer)
{
    mLineRects.clear();
    if (mLines.GetCount() == 0)
        mLines.AddItem(String());
    const int32_t lineHeight = GetLineHeight();
    const int32_t count = static_cast<int32_t>(mLines.GetCount());
    const float top = static_cast<float>(mBoxHeight - lineHeight * count) * mVerticalAlignment;
    for (int32_t i = 0; i < count; ++i)
    {
        RectT<float> line = Measure(measurer, *mLines.GetAtConst(static_cast<uint32_t>(i)));
        line.x = (static_cast<float>(mBoxWidth) - line.width) * mHorizontalAlignment;
        line.y = static_cast<float>(lineHeight * i) + top;
        mLineRects.push_back(line);
    }
}

bool LFontText::EnsureLayout()
{
    const RCPtr<LMeasurementRenderer> measurer = GetMeasurer();
    if (!measurer)
        return false;
    if (mLines.GetCount() == 0)
    {
        if (mWordWrap)
            WrapLines(*measurer, mBoxWidth, mLines);
        else
            mText.SplitInto(mLines, kLineBreak);
    }
    if (mLineRects.empty())
        PlaceLines(*measurer);
    return true;
}

int32_t LFontText::GetLineCount()
{
    return EnsureLayout() ? static_cast<int32_t>(mLineRects.size()) : 0;
}

const RectT<float>& LFontText::GetLine(int32_t index)
{
    static const RectT<float> kNoLine{};
    if (index < 0 || index >= GetLineCount())
        return kNoLine;
    return mLineRects[static_cast<size_t>(index)];
}

String LFontText::GetLineText(int32_t index)
{
    if (index < 0 || index >= GetLineCount())
        return String();
    return *mLines.GetAtConst(static_cast<uint32_t>(index));
}

int32_t LFontText::GetHeightForWidth(int32_t width)
{
    const RCPtr<LMeasurementRenderer> measurer = GetMeasurer();
    if (!measurer)
        return 0;
    StringArray lines;
    if (mWordWrap)
        WrapLines(*measurer, width, lines);
    else
        mText.SplitInto(lines, kLineBreak);
    return static_cast<int32_t>(lines.GetCount()) * GetLineHeight();
}

int32_t LFontText::GetMaxLineWidth()
{
    const RCPtr<LMeasurementRenderer> measurer = GetMeasurer();
    if (!measurer)
        return 0;
    const StringArray lines = mText.Split(kLineBreak);
    if (lines.GetCount() == 0)
        return 0;
    float widest = 0.0f;
    for (uint32_t i = 0; i < lines.GetCount(); ++i)
        widest = std::max(widest, MeasureWidth(*measurer, *lines.GetAtConst(i)));
    return static_cast<int32_t>(std::min(widest + 0.99f, kBoundsLimit));
}

SizeT<int32_t> LFontText::GetBounds()
{
    RectT<float> bounds{};
    if (EnsureLayout())
        for (const RectT<float>& line : mLineRects)
            RectT<float>::Union(bounds, bounds, line);
    const auto clamp = [](float extent) {
        return FloatToLong(std::clamp(extent, -kBoundsLimit, kBoundsLimit));
    };
    return {clamp(bounds.width), clamp(bounds.height)};
}

} // namespace KV
