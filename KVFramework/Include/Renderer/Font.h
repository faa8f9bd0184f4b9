#pragma once
// LFont: a font that texts are drawn and measured in: a face name, a size and a style.
//
// Fonts are interned: GetFont gives the one shared object of a description from a
// process-wide table, so fonts compare by identity, and renderers cache what they derive
// from a font under its serial number (GetUniqueID). The table holds a font only while
// someone else does: its reference counts as an internal one.
//
// The pixel metrics (height, cell top, cell bottom) come from the application's
// measurement renderer on first use. While there is none (before the first window),
// they stay unknown and are asked for again next time.
//
// Window thread only: the table and the serial counter are not locked.

#include "ObjectBase/RCPtr.h"
#include "Storage/RCPtrArray.h"
#include "Storage/StringT.h"

#include <cstdint>

namespace KV {

// Style bits of a font.
inline constexpr int32_t kFontStyleBold = 1;
inline constexpr int32_t kFontStyleItalic = 2;
inline constexpr int32_t kFontStyleUnderline = 4;
inline constexpr int32_t kFontStyleStrikeout = 8;

class LFont : public virtual LRefCountedObject
{
public:
    // The font of that description: the table's when it holds one, else a new one.
    static RCPtr<LFont> GetFont(const String& faceName, float size, int32_t style);
    // The index of the font of that description in the table, searched from the end;
    // -1 when absent. Face names match without regard to ASCII case, sizes exactly.
    static int32_t FindFont(const String& faceName, float size, int32_t style);
    static RCPtrArray<LFont>& GetFontTable();

    const String& GetFaceName() const noexcept { return mFaceName; }
    // Points for drawn text; the renderers make their metric fonts in pixels from it.
    float GetSize() const noexcept { return mSize; }
    int32_t GetStyle() const noexcept { return mStyle; }

    // The line height in pixels; -1 while the metrics are unknown.
    int32_t GetHeight() const;
    // The top of the character cell relative to the baseline (negative), and its bottom.
    int32_t GetCellTop() const;
    int32_t GetCellBottom() const;

    // True when the face names differ (case counts), or the size or the style.
    bool IsDifferent(const LFont& other) const;
    // The font's serial: 1 for the first font of the process, one more for each further
    // one. 0 for no font.
    static int32_t GetUniqueID(const LFont* font) noexcept { return font ? font->mSerial : 0; }

    // Leaves the table. S_OK when afterwards one reference and no internal one remain.
    KVRESULT ReleaseInternalReferences() override;

protected:
    ~LFont() override = default;

private:
    LFont(const String& faceName, float size, int32_t style);

    // Asks the measurement renderer while the metrics are unknown.
    void FetchMetrics() const;

    String mFaceName;
    float mSize;
    int32_t mStyle;
    mutable int32_t mHeight = -1;
    mutable int32_t mCellTop = 0;
    mutable int32_t mCellBottom = 0;
    int32_t mSerial;
};

} // namespace KV
