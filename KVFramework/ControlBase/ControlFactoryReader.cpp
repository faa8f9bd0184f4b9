// The reader of skin and string-table documents: what each element does to the factory.
//
// The reader checks no nesting: an element means what its name and the reader's state
// say, so a document defines names before it uses them. An element that cannot mean
// anything where it stands (a SubControl outside a Skin, a part before any Look, a
// Locale before any StringTable, ...) is skipped with everything nested in it.

#include "ControlBase/ControlFactory.h"

#include "ObjectBase/Exception.h"
#include "SkinValueSyntax.h"
#include "XmlDocumentParser.h"

namespace KV {

using namespace SkinValueSyntax;

namespace {

// More slots than any control has looks; a larger count is a broken document.
constexpr int32_t kMaxLookListSlots = 1024;

// Hands Expat's events to the factory.
class FactoryEvents final : public IXmlDocumentHandler
{
public:
    explicit FactoryEvents(LControlFactory& factory) : mFactory(factory) {}

    void XmlStartElement(const String& name, const XmlAttributes& attributes) override
    {
        mFactory.XMLStartElement(name, attributes);
    }
    void XmlEndElement(const String& name) override { mFactory.XMLEndElement(name); }
    void XmlCharacterData(std::string_view utf8) override { mFactory.XMLCharacterData(utf8); }

private:
    LControlFactory& mFactory;
};

// The reference kinds of a position or size, by their words; anything else names a
// control.
PositionReference PositionReferenceOf(const String& word)
{
    if (word.EqualsText(u"Parent") || word.EqualsText(u"Screen"))
        return PositionReference::Parent;
    if (word.EqualsText(u"Client") || word.EqualsText(u"Active Window"))
        return PositionReference::Client;
    return PositionReference::Control;
}

SizeReference SizeReferenceOf(const String& word)
{
    if (word.EqualsText(u"Parent") || word.EqualsText(u"Screen"))
        return SizeReference::Parent;
    if (word.EqualsText(u"Client") || word.EqualsText(u"Active Window"))
        return SizeReference::Client;
    if (word.EqualsText(u"Self"))
        return SizeReference::Self;
    return SizeReference::Control;
}

ColorT ColorOf(const String& text)
{
    ColorT color{};
    color.FromHexText(text.ToNarrow().GetText());
    return color;
}

template <class T> void ReadInto(T& field, const std::optional<T>& value)
{
    if (value)
        field = *value;
}

// The attributes of one axis of a SubControl, with the axis letter in front of their names.
struct AxisAttributeNames
{
    const char16_t* placementAnchor;
    const char16_t* isDocked;
    const char16_t* positionToControl;
    const char16_t* positionRel;
    const char16_t* positionAbs;
    const char16_t* sizeToControl;
    const char16_t* sizeRel;
    const char16_t* sizeAbs;
    const char16_t* minSizeToControl;
    const char16_t* minSizeRel;
    const char16_t* minSizeAbs;
    const char16_t* maxSizeToControl;
    const char16_t* maxSizeRel;
    const char16_t* maxSizeAbs;
};

constexpr AxisAttributeNames kXAxis{
    u"XPlacementAnchor", u"XIsDocked",         u"XPositionToControl", u"XPositionRel",      u"XPositionAbs",
    u"XSizeToControl",   u"XSizeRel",          u"XSizeAbs",           u"XMinSizeToControl", u"XMinSizeRel",
    u"XMinSizeAbs",      u"XMaxSizeToControl", u"XMaxSizeRel",        u"XMaxSizeAbs"};
constexpr AxisAttributeNames kYAxis{
    u"YPlacementAnchor", u"YIsDocked",         u"YPositionToControl", u"YPositionRel",      u"YPositionAbs",
    u"YSizeToControl",   u"YSizeRel",          u"YSizeAbs",           u"YMinSizeToControl", u"YMinSizeRel",
    u"YMinSizeAbs",      u"YMaxSizeToControl", u"YMaxSizeRel",        u"YMaxSizeAbs"};

void ReadLimit(LayoutSizeLimitSpec& limit, const Attributes& attributes, const char16_t* toControl,
               const char16_t* rel, const char16_t* abs)
{
    if (const String* name = Find(attributes, toControl))
    {
        limit.mToControl = !name->EqualsText(u"Self");
        limit.mControlName = limit.mToControl ? *name : String();
    }
    ReadInto(limit.mRel, FindFloat(attributes, rel));
    ReadInto(limit.mAbs, FindWholePixels(attributes, abs));
}

void ReadAxis(const Attributes& attributes, const AxisAttributeNames& names, bool& docked,
              LayoutPositionSpec& position, LayoutSizeSpec& size, LayoutSizeLimitSpec& minimum,
              LayoutSizeLimitSpec& maximum)
{
    ReadInto(position.mPlacementAnchor, FindFloat(attributes, names.placementAnchor));
    ReadInto(docked, FindBool(attributes, names.isDocked));
    if (const String* reference = Find(attributes, names.positionToControl))
    {
        position.mReference = PositionReferenceOf(*reference);
        if (position.mReference == PositionReference::Control)
            position.mControlName = *reference;
    }
    ReadInto(position.mRel, FindFloat(attributes, names.positionRel));
    ReadInto(position.mAbs, FindWholePixels(attributes, names.positionAbs));
    if (const String* reference = Find(attributes, names.sizeToControl))
    {
        size.mReference = SizeReferenceOf(*reference);
        if (size.mReference == SizeReference::Control)
            size.mControlName = *reference;
    }
    ReadInto(size.mRel, FindFloat(attributes, names.sizeRel));
    ReadInto(size.mAbs, FindWholePixels(attributes, names.sizeAbs));
    ReadLimit(minimum, attributes, names.minSizeToControl, names.minSizeRel, names.minSizeAbs);
    ReadLimit(maximum, attributes, names.maxSizeToControl, names.maxSizeRel, names.maxSizeAbs);
}

template <class Record>
RCPtr<Record> FindByName(const std::map<String, RCPtr<Record>>& map, const String* name)
{
    if (!name)
        return nullptr;
    const auto entry = map.find(*name);
    return entry == map.end() ? nullptr : entry->second;
}

// The first definition of a name wins.
template <class Record>
void Register(std::map<String, RCPtr<Record>>& map, const String& name, const RCPtr<Record>& record)
{
    map.try_emplace(name, record);
}

} // namespace

KVRESULT LControlFactory::ParseXML(std::span<const unsigned char> document)
{
    // Every parse starts from a clean position in the document: nothing read by an
    // earlier document (or an earlier, broken parse of this one) is taken for context.
    ReaderState& state = mReader;
    state.mSkipRoot = true;
    state.mSkipDepth = 0;
    state.mCurrentStringMap = nullptr;
    state.mCurrentText = nullptr;
    state.mCurrentStringId.Clear();
    state.mCurrentLook = nullptr;
    state.mCurrentLookList = nullptr;
    state.mCurrentCreateParams = nullptr;
    state.mInCreateParam = false;
    state.mFontLocale = -1;

    FactoryEvents events(*this);
    XmlParseError error;
    const KVRESULT result = ParseXmlDocument(document, events, error);
    if (KV_FAILED(result))
        mLastParseError = {error.mText, error.mLine, error.mElement};
    return result;
}

void LControlFactory::SkipElement()
{
    mReader.mSkipDepth = 1;
}

void LControlFactory::XMLStartElement(const String& name, const Attributes& attributes)
{
    ReaderState& state = mReader;
    if (state.mSkipDepth > 0)
    {
        ++state.mSkipDepth;
        return;
    }
    if (state.mSkipRoot)
    {
        state.mSkipRoot = false;
        return;
    }
    if (name.EqualsText(u"Application"))
    {
        const String* appName = Find(attributes, u"Name");
        const String newName = appName ? *appName : String();
        if (!newName.Equals(mAppName))
            mAppName = newName;
        return;
    }
    if (state.mStringTableMode)
        return ReadStringTableElement(name, attributes);

    if (name.EqualsText(u"SubControl"))
    {
        if (!state.mCurrentControl)
            return SkipElement(); // outside any Skin: it has no parent to join
        if (!Find(attributes, u"Class") || !Find(attributes, u"Name"))
            KV_THROW(std::runtime_error, "Bad Subcontrol Element");
        return ReadSubControl(attributes);
    }
    ReadSkinElement(name, attributes);
}

void LControlFactory::ReadSkinElement(const String& name, const Attributes& attributes)
{
    ReaderState& state = mReader;
    if (name.EqualsText(u"Looks"))
        state.mInLooks = true;
    else if (name.EqualsText(u"LookLists"))
        state.mCurrentControl = nullptr;
    else if (name.EqualsText(u"Colorizer"))
        ReadColorizer(attributes);
    else if (name.EqualsText(u"Part"))
        ReadPart(attributes);
    else if (name.EqualsText(u"Look"))
        state.mInLooks ? ReadLookDefinition(attributes) : ReadLookListEntry(attributes);
    else if (name.EqualsText(u"ClientPart"))
        ReadClientPart(attributes);
    else if (name.EqualsText(u"NonClientPart"))
        ReadNonClientPart(attributes);
    else if (name.EqualsText(u"TextProperties"))
        ReadTextProperties(attributes);
    else if (name.EqualsText(u"LookList"))
        ReadLookList(attributes);
    else if (name.EqualsText(u"Skin"))
        ReadSkin(attributes);
    else if (name.EqualsText(u"FontLocale"))
        ReadInto(state.mFontLocale, FindHexOrDecimalInt(attributes, u"LCID"));
    else if (name.EqualsText(u"FontXLat"))
        ReadFontXLat(attributes);
    else if (name.EqualsText(u"CreateParamList"))
        state.mCurrentCreateParams = LStringTable::Create();
    else if (name.EqualsText(u"CreateParam"))
        ReadCreateParam(attributes);
    // Colorizers, Parts, Skins and NonClientParts only group; other elements mean nothing.
}

void LControlFactory::ReadColorizer(const Attributes& attributes)
{
    const String* name = Find(attributes, u"Name");
    const String* typeWord = Find(attributes, u"ColorType");
    const String* colorText = Find(attributes, u"Color");
    if (!name || !typeWord || !colorText)
        return;
    ColorType type = ColorType::SolidFill;
    if (typeWord->EqualsText(u"LinearGradient"))
        type = ColorType::LinearGradient;
    else if (typeWord->EqualsText(u"RadialGradient"))
        type = ColorType::RadialGradient;

    ColorizerGradient gradient;
    if (type != ColorType::SolidFill)
    {
        const String* endColor = Find(attributes, u"GradientEndColor");
        const std::optional<float> startX = FindFloat(attributes, u"GradientStartX");
        const std::optional<float> startY = FindFloat(attributes, u"GradientStartY");
        const std::optional<float> endX = FindFloat(attributes, u"GradientEndX");
        const std::optional<float> endY = FindFloat(attributes, u"GradientEndY");
        if (endColor && startX && startY && endX && endY)
            gradient = {ColorOf(*endColor), *startX, *startY, *endX, *endY};
        else
            type = ColorType::SolidFill; // an incomplete gradient fills with its colour
    }
    Register(mColorizers, *name, LColorizer::Create(*name, type, ColorOf(*colorText), gradient));
}

void LControlFactory::ReadPart(const Attributes& attributes)
{
    const String* name = Find(attributes, u"Name");
    const std::optional<int32_t> width = FindHexOrDecimalInt(attributes, u"Width");
    const std::optional<int32_t> height = FindHexOrDecimalInt(attributes, u"Height");
    const String* resizeWord = Find(attributes, u"ResizeType");
    if (!name || !width || !height || !resizeWord)
        return;
    ResizeType resizeType = ResizeType::Stretch;
    if (resizeWord->EqualsText(u"Tile"))
        resizeType = ResizeType::Tile;
    else if (resizeWord->EqualsText(u"Center"))
        resizeType = ResizeType::Center;

    const RCPtr<LColorizer> colorizer = FindByName(mColorizers, Find(attributes, u"ColorizerName"));
    const float alphaModifier = FindFloat(attributes, u"ColorizerAlphaMod").value_or(1.0f);

    LVisualPartDescriptor::ImageArea mask;
    const String* maskFile = Find(attributes, u"ColorizerMaskFile");
    const std::optional<int32_t> maskX = FindHexOrDecimalInt(attributes, u"MaskLocX");
    const std::optional<int32_t> maskY = FindHexOrDecimalInt(attributes, u"MaskLocY");
    if (maskFile && !maskFile->IsEmpty() && maskX && maskY)
        mask = {mResourceFolder.Concat(*maskFile), *maskX, *maskY, *width, *height};

    const String* imageFile = Find(attributes, u"ImageFile");
    const std::optional<int32_t> imageX = FindHexOrDecimalInt(attributes, u"ImageLocX");
    const std::optional<int32_t> imageY = FindHexOrDecimalInt(attributes, u"ImageLocY");
    RCPtr<LVisualPartDescriptor> part;
    if (imageFile && !imageFile->IsEmpty() && imageX && imageY)
    {
        // Resource names are case-blind (they are upper-cased when looked up); file
        // names on disk are not, so a folder keeps the name as written.
        const String file = mResourceFolder.EqualsText(kResourceFolder) ? imageFile->ToLower() : *imageFile;
        const LVisualPartDescriptor::ImageArea image{mResourceFolder.Concat(file), *imageX, *imageY, *width,
                                                     *height};
        part = LVisualPartDescriptor::Create(*name, image, resizeType, colorizer, alphaModifier, mask);
    }
    else
    {
        part = LVisualPartDescriptor::CreateFilled(*name, colorizer, *width, *height, resizeType,
                                                   alphaModifier, mask);
    }
    if (part)
        Register(mParts, *name, part);
}

void LControlFactory::ReadLookDefinition(const Attributes& attributes)
{
    const String* name = Find(attributes, u"Name");
    if (!name)
        return;
    // A second definition of a name still receives the parts that follow it, but the
    // name keeps meaning the first.
    mReader.mCurrentLook = LLookDescriptor::Create(*name);
    Register(mLooks, *name, mReader.mCurrentLook);
}

void LControlFactory::ReadClientPart(const Attributes& attributes)
{
    if (!mReader.mCurrentLook)
        return SkipElement();
    const RCPtr<LVisualPartDescriptor> part = FindByName(mParts, Find(attributes, u"Name"));
    const std::optional<int32_t> left = FindHexOrDecimalInt(attributes, u"OffsetLeft");
    const std::optional<int32_t> top = FindHexOrDecimalInt(attributes, u"OffsetTop");
    const std::optional<int32_t> right = FindHexOrDecimalInt(attributes, u"OffsetRight");
    const std::optional<int32_t> bottom = FindHexOrDecimalInt(attributes, u"OffsetBottom");
    if (!part || !left || !top || !right || !bottom)
        return;
    LDockedPart::Placement placement;
    placement.mGivenOffsets = LDockedPart::kAllOffsets;
    placement.mLeft = *left;
    placement.mTop = *top;
    placement.mRight = *right;
    placement.mBottom = *bottom;
    mReader.mCurrentLook->SetClientPart(LDockedPart::Create(part, placement));
}

void LControlFactory::ReadNonClientPart(const Attributes& attributes)
{
    if (!mReader.mCurrentLook)
        return SkipElement();
    const RCPtr<LVisualPartDescriptor> part = FindByName(mParts, Find(attributes, u"Name"));
    if (!part)
        return;
    LDockedPart::Placement placement;
    const struct
    {
        const char16_t* attribute;
        int32_t bit;
        int32_t& offset;
    } offsets[] = {
        {u"OffsetLeft", LDockedPart::kOffsetLeft, placement.mLeft},
        {u"OffsetTop", LDockedPart::kOffsetTop, placement.mTop},
        {u"OffsetRight", LDockedPart::kOffsetRight, placement.mRight},
        {u"OffsetBottom", LDockedPart::kOffsetBottom, placement.mBottom},
    };
    for (const auto& offset : offsets)
    {
        if (const std::optional<int32_t> value = FindHexOrDecimalInt(attributes, offset.attribute))
        {
            placement.mGivenOffsets |= offset.bit;
            offset.offset = *value;
        }
    }
    placement.mWidth = FindHexOrDecimalInt(attributes, u"Width").value_or(0);
    placement.mWidthGiven = placement.mWidth > 0;
    placement.mHeight = FindHexOrDecimalInt(attributes, u"Height").value_or(0);
    placement.mHeightGiven = placement.mHeight > 0;
    mReader.mCurrentLook->mNonClientParts.AddItem(LDockedPart::Create(part, placement));
}

void LControlFactory::ReadTextProperties(const Attributes& attributes)
{
    if (!mReader.mCurrentLook)
        return SkipElement();
    const std::optional<float> leftRel = FindFloat(attributes, u"TextLeftRel");
    const std::optional<int32_t> leftAbs = FindHexOrDecimalInt(attributes, u"TextLeftAbs");
    const std::optional<float> rightRel = FindFloat(attributes, u"TextRightRel");
    const std::optional<int32_t> rightAbs = FindHexOrDecimalInt(attributes, u"TextRightAbs");
    const std::optional<float> hAlign = FindFloat(attributes, u"TextHAlign");
    const std::optional<float> topRel = FindFloat(attributes, u"TextTopRel");
    const std::optional<int32_t> topAbs = FindHexOrDecimalInt(attributes, u"TextTopAbs");
    const std::optional<float> bottomRel = FindFloat(attributes, u"TextBottomRel");
    const std::optional<int32_t> bottomAbs = FindHexOrDecimalInt(attributes, u"TextBottomAbs");
    const std::optional<float> vAlign = FindFloat(attributes, u"TextVAlign");
    const RCPtr<LVisualPartDescriptor> foreground =
        FindByName(mParts, Find(attributes, u"TextForegroundPart"));
    if (!leftRel || !leftAbs || !rightRel || !rightAbs || !hAlign || !topRel || !topAbs || !bottomRel ||
        !bottomAbs || !vAlign || !foreground)
        return;
    mReader.mCurrentLook->SetTextProperties({*leftRel, *leftAbs, *rightRel, *rightAbs, *hAlign, *topRel,
                                             *topAbs, *bottomRel, *bottomAbs, *vAlign, foreground});
}

void LControlFactory::ReadLookList(const Attributes& attributes)
{
    ReaderState& state = mReader;
    const String* name = Find(attributes, u"Name");
    const std::optional<int32_t> count = FindHexOrDecimalInt(attributes, u"NumLooks");
    if (!name || !count)
        return;
    // A look list inside a SubControl belongs to that SubControl's Skin, which must
    // come first; and a count no control could use is a broken list.
    if ((state.mCurrentControl && !state.mCurrentControl->mSkin) || *count < 0 || *count > kMaxLookListSlots)
    {
        state.mCurrentLookList = nullptr;
        return SkipElement();
    }
    const auto registered = mLookLists.find(*name);
    if (registered != mLookLists.end())
    {
        // Already defined: the control gets the first list, and this one's entries are ignored.
        if (state.mCurrentControl)
            state.mCurrentControl->mSkin->mLookList = registered->second;
        state.mCurrentLookList = nullptr;
        return;
    }
    state.mCurrentLookList = MakeRCPtr<LLookList>(static_cast<uint32_t>(*count));
    mLookLists.emplace(*name, state.mCurrentLookList);
    if (state.mCurrentControl)
        state.mCurrentControl->mSkin->mLookList = state.mCurrentLookList;
}

void LControlFactory::ReadLookListEntry(const Attributes& attributes)
{
    const RCPtr<LLookList>& list = mReader.mCurrentLookList;
    if (!list)
        return;
    const RCPtr<LLookDescriptor> look = FindByName(mLooks, Find(attributes, u"Name"));
    const std::optional<int32_t> index = FindDecimalInt(attributes, u"Index");
    if (!look || !index || *index < 0 || static_cast<uint32_t>(*index) >= list->GetCount())
        return;
    *list->GetAt(static_cast<uint32_t>(*index)) = look;
}

void LControlFactory::ReadSkin(const Attributes& attributes)
{
    ReaderState& state = mReader;
    const String* name = Find(attributes, u"Name");
    if (!name)
        return SkipElement();
    RCPtr<LSkinDescriptor> skin = LSkinDescriptor::Create(*name);
    if (!state.mCurrentControl)
    {
        // A top-level Skin: a new skin root, whose font is the skin's default font.
        RCPtr<LControlDescriptor> root =
            LControlDescriptor::Create(String(u"Application"), mAppName, nullptr);
        state.mCurrentControl = root;
        mCurrentSkinIndex = mSkins.AddItem(root);
        if (const String* fontName = Find(attributes, u"FontName"))
            skin->mFontName = *fontName;
        ReadInto(skin->mFontSize, FindFloat(attributes, u"FontSize"));
        ReadInto(skin->mFontStyle, FindHexOrDecimalInt(attributes, u"FontStyle"));
        mFontTranslations.clear();
    }
    else
    {
        // The Skin of a SubControl: the SubControl's own font attributes count.
        skin->mFontName = TranslateFontName(state.mPendingFontName);
        skin->mFontSize = state.mPendingFontSize;
        skin->mFontStyle = state.mPendingFontStyle;
        skin->mFontInheritsFromParent = state.mPendingFontInherits;
        skin->mFontSizeIsRelative = state.mPendingFontSizeIsRelative;
        skin->mLookList = FindByName(mLookLists, Find(attributes, u"LookList"));
    }
    state.mCurrentControl->SetSkinDescriptor(skin);
}

void LControlFactory::ReadFontXLat(const Attributes& attributes)
{
    // Translations belong to a top-level Skin, whose font they may change.
    const RCPtr<LControlDescriptor>& control = mReader.mCurrentControl;
    if (!control || control->mParent || !control->mSkin)
        return SkipElement();
    if (mReader.mFontLocale != mWantedLcid)
        return;
    const String* from = Find(attributes, u"Name");
    const String* to = Find(attributes, u"XLat");
    const String fromName = from ? *from : String();
    const String toName = to ? *to : String();
    mFontTranslations.try_emplace(fromName, toName);
    if (control->mSkin->mFontName.Equals(fromName))
        control->mSkin->mFontName = toName;
}

void LControlFactory::ReadSubControl(const Attributes& attributes)
{
    ReaderState& state = mReader;
    RCPtr<LControlDescriptor> parent = state.mCurrentControl;
    RCPtr<LControlDescriptor> control =
        LControlDescriptor::Create(*Find(attributes, u"Class"), *Find(attributes, u"Name"), parent);
    parent->AddChild(control);
    state.mCurrentControl = control;

    RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Create();
    control->SetLayoutDescriptor(layout);
    ReadInto(layout->mClipToParent, FindBool(attributes, u"ClipToParent"));
    ReadInto(layout->mZOrder, FindDecimalInt(attributes, u"Z_Order"));
    ReadInto(layout->mLayoutOrder, FindHexOrDecimalInt(attributes, u"LayoutOrder"));
    // A top-level control is always focusable in its window and shown when created.
    if (!parent->mClassName.EqualsText(u"Application"))
    {
        ReadInto(layout->mTabStop, FindDecimalInt(attributes, u"TabStop"));
        ReadInto(layout->mIsVisible, FindBool(attributes, u"IsVisible"));
    }
    ReadAxis(attributes, kXAxis, layout->mXIsDocked, layout->mXPosition, layout->mXSize, layout->mXMinSize,
             layout->mXMaxSize);
    ReadAxis(attributes, kYAxis, layout->mYIsDocked, layout->mYPosition, layout->mYSize, layout->mYMinSize,
             layout->mYMaxSize);
    if (const String* decoration = Find(attributes, u"TextDecoration"))
        layout->mTextDecoration = *decoration;
    if (const String* overflow = Find(attributes, u"TextOverflowXType"))
    {
        if (overflow->EqualsText(u"Clip"))
            layout->mTextOverflowX = TextOverflowX::Clip;
        else if (overflow->EqualsText(u"Expand"))
            layout->mTextOverflowX = TextOverflowX::Expand;
        else if (overflow->EqualsText(u"Wrap"))
            layout->mTextOverflowX = TextOverflowX::Wrap;
    }
    if (const String* overflow = Find(attributes, u"TextOverflowYType"))
    {
        if (overflow->EqualsText(u"Clip"))
            layout->mTextOverflowY = TextOverflowY::Clip;
        else if (overflow->EqualsText(u"Expand"))
            layout->mTextOverflowY = TextOverflowY::Expand;
    }

    // The font of this control's Skin, which follows.
    state.mPendingFontInherits = FindBool(attributes, u"FontInheritsFromParent").value_or(false);
    state.mPendingFontSizeIsRelative = FindBool(attributes, u"FontSizeIsRelative").value_or(false);
    const String* fontName = Find(attributes, u"FontName");
    state.mPendingFontName = fontName ? *fontName : String();
    const std::optional<float> fontSize = FindFloat(attributes, u"FontSize");
    state.mPendingFontSize = fontSize.value_or(0.0f);
    if (!fontSize)
        state.mPendingFontSizeIsRelative = false;
    state.mPendingFontStyle =
        FindHexOrDecimalInt(attributes, u"FontStyle").value_or(LSkinDescriptor::kFontStyleNotSet);
}

void LControlFactory::ReadCreateParam(const Attributes& attributes)
{
    const String* id = Find(attributes, u"ID");
    if (!id)
        return;
    mReader.mCurrentStringId = *id;
    mReader.mInCreateParam = true;
    mReader.mCreateParamHasText = false;
    mReader.mCreateParamText.clear();
}

void LControlFactory::ReadStringTableElement(const String& name, const Attributes& attributes)
{
    ReaderState& state = mReader;
    if (name.EqualsText(u"StringTable"))
    {
        const String* id = Find(attributes, u"ID");
        state.mCurrentStringMap = &mStringTables[id ? *id : String()];
    }
    else if (name.EqualsText(u"String"))
    {
        if (const String* id = Find(attributes, u"ID"))
            state.mCurrentStringId = *id;
    }
    else if (name.EqualsText(u"Locale"))
    {
        const std::optional<int32_t> lcid = FindHexOrDecimalInt(attributes, u"LCID");
        if (!state.mCurrentStringMap || !lcid)
            return SkipElement();
        if (*lcid != mWantedLcid)
            return;
        ++state.mMatchedLocaleCount;
        // A text needs a key: a String without any ID has nowhere to keep one.
        if (state.mCurrentStringId.IsEmpty())
            return SkipElement();
        state.mCollecting = true;
        state.mCurrentText = &(*state.mCurrentStringMap)[state.mCurrentStringId];
    }
}

void LControlFactory::XMLEndElement(const String& name)
{
    ReaderState& state = mReader;
    if (state.mSkipDepth > 0)
    {
        --state.mSkipDepth;
        return;
    }
    if (state.mStringTableMode)
    {
        state.mCollecting = false;
        return;
    }
    if (name.EqualsText(u"SubControl"))
    {
        // LookLists inside a SubControl leaves no current control to close.
        if (!state.mCurrentControl)
            return;
        state.mCurrentControl->SortChildrenByLayoutOrder();
        state.mCurrentControl = RCPtr<LControlDescriptor>(state.mCurrentControl->mParent);
    }
    else if (name.EqualsText(u"Skin"))
    {
        if (state.mCurrentControl && state.mCurrentControl == GetCurrentSkin())
            state.mCurrentControl = nullptr; // the top-level Skin closed
    }
    else if (name.EqualsText(u"CreateParamList"))
    {
        if (state.mCurrentControl)
            state.mCurrentControl->SetCreateParams(state.mCurrentCreateParams);
    }
    else if (name.EqualsText(u"CreateParam"))
    {
        // Stored whole at the end: Expat hands a text over in pieces.
        if (state.mInCreateParam && state.mCreateParamHasText && state.mCurrentCreateParams)
            state.mCurrentCreateParams->SetString(state.mCurrentStringId,
                                                  String(state.mCreateParamText.c_str()));
        state.mInCreateParam = false;
    }
    else if (name.EqualsText(u"Looks"))
    {
        state.mInLooks = false;
    }
}

void LControlFactory::XMLCharacterData(std::string_view utf8)
{
    ReaderState& state = mReader;
    if (state.mSkipDepth > 0)
        return;
    if (state.mStringTableMode)
    {
        if (state.mCollecting && state.mCurrentText)
            state.mCurrentText->Append(String(std::string(utf8).c_str()));
        return;
    }
    if (state.mInCreateParam)
    {
        state.mCreateParamText.append(utf8);
        state.mCreateParamHasText = true;
    }
}

} // namespace KV
