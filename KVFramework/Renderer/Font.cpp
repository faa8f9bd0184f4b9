#include "Renderer/Font.h"

#include "Renderer/ApplicationMeasurer.h"

namespace KV {

namespace {

// The serial of the next font; fonts are made on the window thread only.
int32_t gNextSerial = 1;

} // namespace

LFont::LFont(const String& faceName, float size, int32_t style)
    : mFaceName(faceName), mSize(size), mStyle(style), mSerial(gNextSerial++)
{
}

RCPtrArray<LFont>& LFont::GetFontTable()
{
    // Never destroyed: a font that some other static object releases while the program
    // ends must still find the table to leave it.
    static RCPtrArray<LFont>* const table = new RCPtrArray<LFont>;
    return *table;
}

int32_t LFont::FindFont(const String& faceName, float size, int32_t style)
{
    const RCPtrArray<LFont>& table = GetFontTable();
    for (uint32_t i = table.GetCount(); i-- > 0;)
    {
        const LFont& font = **table.GetAtConst(i);
        if (font.mSize == size && font.mStyle == style && font.mFaceName.EqualsIgnoringCase(faceName))
            return static_cast<int32_t>(i);
    }
    return -1;
}

RCPtr<LFont> LFont::GetFont(const String& faceName, float size, int32_t style)
{
    const int32_t index = FindFont(faceName, size, style);
    if (index >= 0)
        return *GetFontTable().GetAtConst(static_cast<uint32_t>(index));
    RCPtr<LFont> font(new LFont(faceName, size, style));
    GetFontTable().AddItem(font);
    font->AdjustInternalRefCount(+1);
    return font;
}

KVRESULT LFont::ReleaseInternalReferences()
{
    RCPtrArray<LFont>& table = GetFontTable();
    for (uint32_t i = table.GetCount(); i-- > 0;)
    {
        if (table.GetAtConst(i)->Get() != this)
            continue;
        AdjustInternalRefCount(-1);
        table.RemoveItems(i, 1);
        return LRefCountedObject::ReleaseInternalReferences();
    }
    return E_FAIL;
}

void LFont::FetchMetrics() const
{
    if (mHeight >= 0)
        return;
    const RCPtr<LMeasurementRenderer> measurer = GetApplicationMeasurementRenderer();
    if (!measurer)
        return;
    int32_t height = -1;
    int32_t cellTop = 0;
    int32_t cellBottom = 0;
    if (KV_FAILED(measurer->GetFontMetrics(this, height, cellTop, cellBottom)) || height < 0)
        return;
    mHeight = height;
    mCellTop = cellTop;
    mCellBottom = cellBottom;
}

int32_t LFont::GetHeight() const
{
    FetchMetrics();
    return mHeight;
}

int32_t LFont::GetCellTop() const
{
    FetchMetrics();
    return mCellTop;
}

int32_t LFont::GetCellBottom() const
{
    FetchMetrics();
    return mCellBottom;
}

bool LFont::IsDifferent(const LFont& other) const
{
    return (!mFaceName.SharesBufferWith(other.mFaceName) && !mFaceName.Equals(other.mFaceName)) ||
           mSize != other.mSize || mStyle != other.mStyle;
}

} // namespace KV
