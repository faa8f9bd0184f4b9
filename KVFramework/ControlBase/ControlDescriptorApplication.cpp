// Making a control from its skin descriptor: the descriptor applied (when the control
// is created, and again when the skin changes), the children created, the control
// initialised from its create parameters and string table; the control's text and font.

#include "Application/FrameworkApp.h"
#include "Application/WindowOSServices.h"
#include "ControlBase/Control.h"
#include "ControlBase/ControlDescriptor.h"
#include "ControlBase/ControlFactory.h"
#include "ControlBase/RootWindow.h"
#include "ObjectBase/Exception.h"

#include <stdexcept>
#include <utility>

namespace KV {

namespace {

RCPtr<LFont> ApplicationDefaultFont()
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    return app ? app->GetCurrentDefaultFont() : nullptr;
}

// Flags of create parameters: true only for "true", in any letter case, blanks around
// allowed.
bool ParseFlag(const String& text)
{
    return text.Trim().ToLower() == u"true";
}

// False, and the value untouched, when the table or the key is missing.
bool ReadFlag(const LStringTable* params, const char16_t* key, bool& value)
{
    String text;
    if (!params || !params->GetString(key, text))
        return false;
    value = ParseFlag(text);
    return true;
}

bool IsSameOrDescendant(const LControl* control, const LControl* ancestor)
{
    for (; control; control = control->GetParent().Get())
        if (control == ancestor)
            return true;
    return false;
}

} // namespace

RCPtr<LControlFactory> LControl::GetApplicationFactory()
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    return app ? app->GetControlFactory() : nullptr;
}

// ---- the creation sequence ----

KVRESULT LControl::RunCreationSequence(const RCPtr<LControlDescriptor>& descriptor)
{
    RCPtr<LControl> self(this);
    ApplyDescriptor(descriptor);
    CreateChildControls(descriptor);
    Initialize();
    PostInitialize();
    mCreated = true;
    return S_OK;
}

KVRESULT LControl::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor)
{
    if (!descriptor)
        return E_INVALIDARG;
    RCPtr<LControl> self(this);
    const bool reapplied = mCreated;
    const bool wasVisible = GetLayout()->mIsVisible;
    const bool wasEnabled = mLayout->mEnabled;
    // An unclipped control leaves its ancestors' counts first; the new layout says anew.
    SetClipToParent(true);

    mDescriptor = descriptor;
    mLayout = descriptor->mLayout ? descriptor->mLayout->Clone() : LLayoutDescriptor::Create();
    if (mRootWindow)
    {
        mLayout->mIsVisible = true;
        if (reapplied)
            ApplyRootWindowRect(*mLayout);
    }
    if (reapplied)
    {
        // A skin change never enables or disables a control, and a change of visibility
        // goes through SetVisible, which moves the focus and repaints.
        const bool visible = mLayout->mIsVisible;
        mLayout->mIsVisible = wasVisible;
        mLayout->mEnabled = wasEnabled;
        if (visible != wasVisible)
            SetVisible(visible);
        bool notFocusable = mLayout->mTabStop < 0;
        ReadFlag(descriptor->mCreateParams.Get(), u"NOT_FOCUSABLE", notFocusable);
        SetNotFocusable(notFocusable);
    }

    ApplyLooks();
    ApplyFont();
    if (!reapplied)
    {
        if (mStringTable)
        {
            String label;
            mStringTable->GetString(u"LABEL", label);
            SetTextAndRelayout(label, false);
        }
    }
    else
    {
        // The new looks must get the text although it does not change.
        String text = std::exchange(mText, String(u"~"));
        SetTextAndRelayout(text, false);
    }

    if (mParent)
    {
        if (!mLayout->mClipToParent)
            mParent->AddUnclippedAlongAncestry(1);
        mParent->mChildren.MarkChanged();
    }

    std::vector<RCPtr<LControl>> previous;
    for (uint32_t i = 0; i < mChildren.GetCount(); ++i)
        previous.push_back(mChildren.GetAt(i, kInsertionOrder));
    if (reapplied)
        ReadoptChildren(previous);
    mChildren.RemoveAll();
    mRect = {0, 0, 0, 0};
    RecalcLayout();

    if (!reapplied)
    {
        ShowLook(0);
        // The first change is measured from the state the control starts in.
        mConditionsParam->mOldConditions = mConditionsParam->mNewConditions;
        mConditionsParam->mNewConditions = GetConditions();
        mConditionsParam->mPressPoint = mPressPoint;
        return S_OK;
    }

    mInLayoutPass = true;
    for (uint32_t i = 0; i < descriptor->mChildren.GetCount(); ++i)
    {
        const RCPtr<LControlDescriptor>& childDescriptor = *descriptor->mChildren.GetAtConst(i);
        if (!childDescriptor)
            continue;
        for (auto child = previous.begin(); child != previous.end(); ++child)
            if ((*child)->GetName() == childDescriptor->mName)
            {
                AdoptChild(*child, childDescriptor);
                previous.erase(child);
                break;
            }
    }
    mInLayoutPass = false;
    if (mChildren.GetCount() > 0)
        RecalcLayout();
    UpdateConditions();

    PostInitialize();
    mChildren.MarkChanged();
    if (mRootWindow)
    {
        FillRootWindow();
        RecalcLayout();
        InvalidateWhole();
    }
    return S_OK;
}

void LControl::ApplyRootWindowRect(const LLayoutDescriptor& skinLayout)
{
    const RectT<int32_t> screen = mRootWindow->GetScreenRect();
    RectT<double> rect{static_cast<double>(screen.x), static_cast<double>(screen.y), mRect.width,
                       mRect.height};
    if (AdjustRootWindowRect(rect) == 1)
        mRootWindow->SetBounds(rect.ToLong());
    LayoutAxisSpec axes[2] = {skinLayout.GetAxisSpec(0), skinLayout.GetAxisSpec(1)};
    const double positions[2] = {rect.x, rect.y};
    const double sizes[2] = {rect.width, rect.height};
    for (int axis = 0; axis < 2; ++axis)
    {
        axes[axis].mPosition.mRel = 0;
        axes[axis].mPosition.mAbs = positions[axis];
        axes[axis].mSize.mRel = 0;
        axes[axis].mSize.mAbs = sizes[axis];
    }
    SetLayout(axes[0], axes[1]);
}

void LControl::FillRootWindow()
{
    LayoutAxisSpec axes[2] = {mLayout->GetAxisSpec(0), mLayout->GetAxisSpec(1)};
    for (LayoutAxisSpec& axis : axes)
    {
        axis.mPosition.mReference = PositionReference::Client;
        axis.mPosition.mPlacementAnchor = 0;
        axis.mPosition.mRel = 0;
        axis.mPosition.mAbs = 0;
        axis.mSize.mReference = SizeReference::Client;
        axis.mSize.mRel = 1.0f;
        axis.mSize.mAbs = 0;
    }
    SetLayout(axes[0], axes[1]);
}

void LControl::ApplyLooks()
{
    mLooks.RemoveLooks();
    const LSkinDescriptor* skin = mDescriptor->mSkin.Get();
    if (!skin || !skin->mLookList)
        return;
    const bool wrap = mLayout->mTextOverflowX == TextOverflowX::Wrap;
    const LLookList& list = *skin->mLookList;
    // Look indexes stay those of the look list: an empty entry gives an empty look.
    for (uint32_t i = 0; i < list.GetCount(); ++i)
    {
        const RCPtr<LLookDescriptor>& entry = *list.GetAtConst(i);
        AddLook(entry ? LLook::Create(entry, wrap) : nullptr);
    }
}

void LControl::ApplyFont()
{
    const LSkinDescriptor* skin = mDescriptor->mSkin.Get();
    mFontInheritsFromParent = skin && skin->mFontInheritsFromParent;
    mFontSizeIsRelative = skin && skin->mFontSizeIsRelative;
    SetFontSpec(skin ? skin->mFontName : String(), skin ? skin->mFontSize : 0.0f,
                skin ? skin->mFontStyle : LSkinDescriptor::kFontStyleNotSet, mFontSizeIsRelative);
}

void LControl::ReadoptChildren(std::vector<RCPtr<LControl>>& previous)
{
    // A child the new skin does not name leaves the tree now, while it can still give back
    // the focus, the capture and its idle registration to the window.
    RCPtr<LRootWindow> window = GetRootWindow();
    for (const RCPtr<LControl>& child : previous)
    {
        bool named = false;
        for (uint32_t i = 0; i < mDescriptor->mChildren.GetCount() && !named; ++i)
        {
            const RCPtr<LControlDescriptor>& childDescriptor = *mDescriptor->mChildren.GetAtConst(i);
            named = childDescriptor && childDescriptor->mName == child->GetName();
        }
        if (named)
            continue;
        if (window)
            if (RCPtr<LControl> capture = window->GetCaptureControl();
                capture && IsSameOrDescendant(capture.Get(), child.Get()))
                capture->OnCaptureLost();
        child->RemoveFromTree();
    }
}

KVRESULT LControl::CreateChildControls(const RCPtr<LControlDescriptor>& descriptor)
{
    mChildren.RemoveAll();
    if (!descriptor)
        return S_OK;
    RCPtr<LControl> self(this);
    RCPtr<LControlFactory> factory;
    for (uint32_t i = 0; i < descriptor->mChildren.GetCount(); ++i)
    {
        const RCPtr<LControlDescriptor>& child = *descriptor->mChildren.GetAtConst(i);
        if (!child)
            continue;
        bool deferred = false;
        ReadFlag(child->mCreateParams.Get(), u"DEFER_CREATE", deferred);
        if (deferred)
            continue;
        if (!factory)
            factory = GetApplicationFactory();
        if (!factory)
            KV_THROW(std::runtime_error, "no control factory to create the children");
        // The child attaches itself to this control.
        factory->CreateControl(child, self);
    }
    RecalcLayout();
    return S_OK;
}

KVRESULT LControl::Initialize()
{
    mNotificationCenter = LNotificationCenterManager::GetDefaultCenter();
    mHandler = LNotificationHandler<LControl>::Create(this);
    ApplyAttributes();
    if (!mStringTable)
        return S_OK;
    mStringTable->GetString(u"TOOLTIP", mToolTipText);
    mLocalHotKeys.LoadFromStringTable(mStringTable, u"LHK");
    // The parent offers its siblings' keys to the children that have hot keys of their own.
    if (mParent && !mLocalHotKeys.IsEmpty())
        RegisterNotification(mParent, u"NID_SIBLING_KEY");
    return S_OK;
}

KVRESULT LControl::ApplyAttributes()
{
    const LStringTable* params = mDescriptor ? mDescriptor->mCreateParams.Get() : nullptr;
    const bool tabStopSaysNotFocusable = GetLayout()->mTabStop < 0;
    if (!params)
    {
        SetNotFocusable(tabStopSaysNotFocusable);
        return S_OK;
    }
    String initialValue;
    if (params->GetString(u"INITIAL_VALUE", initialValue))
        SetNormalizedValue(initialValue.ToDouble());
    bool notFocusable = tabStopSaysNotFocusable;
    ReadFlag(params, u"NOT_FOCUSABLE", notFocusable);
    SetNotFocusable(notFocusable);
    ReadFlag(params, u"USE_PARENT_TOOLTIP", mUseParentToolTip);
    ReadFlag(params, u"WANTS_TAB", mWantsTab);
    return S_OK;
}

// ---- text ----

KVRESULT LControl::SetText(const String& text)
{
    return SetTextAndRelayout(text, true) ? S_OK : S_FALSE;
}

bool LControl::SetTextAndRelayout(const String& text, bool relayout)
{
    if (text == mText)
        return false;
    if (mRootWindow && mRootWindow->GetOSServices())
        mRootWindow->GetOSServices()->SetWindowText(text);
    mText = text;
    for (int32_t index = mLooks.GetLookCount() - 1; index >= 0; --index)
        if (const RCPtr<LLook> look = mLooks.GetLook(index))
            look->SetText(text);
    const LLayoutDescriptor& layout = *GetLayout();
    // A minimum of the control's own that grows with the text.
    const bool minimumFollowsText =
        (!layout.mXMinSize.mToControl && layout.mTextOverflowX != TextOverflowX::Clip) ||
        (!layout.mYMinSize.mToControl && layout.mTextOverflowY != TextOverflowY::Clip);
    if (relayout && minimumFollowsText)
        RecalcLayout();
    InvalidateWhole();
    return true;
}

// ---- fonts ----

RCPtr<LFont> LControl::GetBaseFont() const
{
    if (mFontInheritsFromParent && mParent)
        return mParent->mFont;
    return ApplicationDefaultFont();
}

KVRESULT LControl::SetFontSpec(const String& name, float size, int32_t style, bool sizeIsRelative)
{
    const bool nameInherited = name.IsEmpty();
    const bool sizeFromBase = size <= 0 || mFontSizeIsRelative;
    const bool styleInherited = style == LSkinDescriptor::kFontStyleNotSet;
    const RCPtr<LFont> base = GetBaseFont();
    if (!base && (nameInherited || sizeFromBase || styleInherited))
        return E_FAIL;

    String faceName = nameInherited ? base->GetFaceName() : name;
    float factor = 1.0f;
    if (sizeFromBase)
    {
        if (sizeIsRelative && size > 0)
            factor = size;
        size = base->GetSize() * factor;
    }
    if (styleInherited)
        style = base->GetStyle();
    RCPtr<LFont> font;
    if (base && faceName == base->GetFaceName() && size == base->GetSize() && style == base->GetStyle())
        font = base;
    else
        font = LFont::GetFont(faceName, size, style);
    if (!font)
        return E_FAIL;

    const KVRESULT result = SetFont(font);
    if (KV_SUCCEEDED(result))
    {
        mFontNameInherited = nameInherited;
        mFontSizeInherited = sizeFromBase;
        mFontStyleInherited = styleInherited;
        mFontSizeIsRelative = sizeIsRelative;
        mFontSizeFactor = factor;
    }
    return result;
}

KVRESULT LControl::SetFont(const RCPtr<LFont>& font)
{
    if (!font)
        return E_INVALIDARG;
    for (int32_t index = 0; index < mLooks.GetLookCount(); ++index)
        if (const RCPtr<LLook> look = mLooks.GetLook(index))
            look->SetFont(font);
    if (font == mFont)
        return S_FALSE;
    RCPtr<LControl> self(this);
    mFont = font;
    mFontNameInherited = mFontSizeInherited = mFontStyleInherited = false;
    OnFontChanged();
    for (uint32_t i = 0; i < mChildren.GetCount(); ++i)
        RCPtr<LControl>(mChildren.GetAt(i, kInsertionOrder))->OnParentFontChanged();
    RecalcLayout();
    InvalidateWhole();
    return S_OK;
}

KVRESULT LControl::OnParentFontChanged()
{
    if (!mFontInheritsFromParent || !mFont ||
        !(mFontNameInherited || mFontSizeInherited || mFontStyleInherited))
        return S_OK;
    const float size = !mFontSizeInherited ? mFont->GetSize() : mFontSizeIsRelative ? mFontSizeFactor : 0.0f;
    // A relative size keeps its factor on the parent's new size.
    return SetFontSpec(mFontNameInherited ? String() : mFont->GetFaceName(), size,
                       mFontStyleInherited ? LSkinDescriptor::kFontStyleNotSet : mFont->GetStyle(),
                       mFontSizeInherited && mFontSizeIsRelative);
}

} // namespace KV
