#include "ControlBase/ControlFactory.h"

#include "ControlBase/Control.h"
#include "ControlBase/RootWindow.h"
#include "ObjectBase/Exception.h"

namespace KV {

namespace {

RCPtr<LStringTable> CopyOfTable(const std::map<String, LStringTable::TextMap>& tables, const String& key)
{
    const auto table = tables.find(key);
    return table == tables.end() ? nullptr : LStringTable::Create(table->second);
}

} // namespace

RCPtr<LControlFactory> LControlFactory::Create(const String& appName)
{
    return RCPtr<LControlFactory>(new LControlFactory(appName));
}

KVRESULT LControlFactory::RegisterControlClass(const String& className, ControlCreateFunction createFunction)
{
    mControlClasses.try_emplace(className, createFunction);
    return S_OK;
}

ControlCreateFunction LControlFactory::GetControlCreateFunction(const String& className) const
{
    const auto entry = mControlClasses.find(className);
    // Named here: the name in a signature that returns a function pointer is not one the
    // error text can take apart.
    if (entry == mControlClasses.end() || !entry->second)
        ThrowException<std::runtime_error>("", KV_HERE, false,
                                           "KV::LControlFactory::GetControlCreateFunction");
    return entry->second;
}

RCPtr<LControl> LControlFactory::CreateControl(const RCPtr<LControlDescriptor>& descriptor,
                                               const RCPtr<LControl>& parent)
{
    if (!descriptor)
        KV_THROW_NULL_POINTER("descriptor");
    if (!descriptor->mCreateFunction)
        descriptor->mCreateFunction = GetControlCreateFunction(descriptor->mClassName);
    return descriptor->mCreateFunction(parent, descriptor);
}

RCPtr<LControl> LControlFactory::CreateControlByName(const String& name, const RCPtr<LRootWindow>& rootWindow)
{
    const RCPtr<LControlDescriptor> descriptor = FindControlDescriptor(name);
    if (!descriptor)
        return nullptr;
    if (descriptor->mLayout)
        descriptor->mLayout->mIsVisible = true;
    RCPtr<LControl> control = CreateControl(descriptor, nullptr);
    if (control)
        control->SetRootWindow(rootWindow);
    return control;
}

KVRESULT LControlFactory::ApplySkinToControl(const RCPtr<LControl>& control) const
{
    if (!control)
        return E_FAIL;
    const RCPtr<LControlDescriptor>& descriptor = FindControlDescriptor(control->GetName());
    return descriptor ? control->ApplyDescriptor(descriptor) : E_FAIL;
}

RCPtr<LControlDescriptor> LControlFactory::GetCurrentSkin() const
{
    if (mCurrentSkinIndex < 0 || static_cast<uint32_t>(mCurrentSkinIndex) >= mSkins.GetCount())
        return nullptr;
    return *mSkins.GetAtConst(static_cast<uint32_t>(mCurrentSkinIndex));
}

const RCPtr<LControlDescriptor>& LControlFactory::FindControlDescriptor(const String& name) const
{
    static const RCPtr<LControlDescriptor> kNone;
    const RCPtr<LControlDescriptor> skin = GetCurrentSkin();
    if (!skin)
        return kNone;
    // From the last: of two top-level controls with one name, the later one counts.
    for (uint32_t i = skin->mChildren.GetCount(); i-- > 0;)
    {
        const RCPtr<LControlDescriptor>& child = *skin->mChildren.GetAtConst(i);
        if (child && child->mName.Equals(name))
            return child;
    }
    return kNone;
}

RCPtr<LControlDescriptor> LControlFactory::CloneControlDescriptor(const RCPtr<LControlDescriptor>& descriptor,
                                                                  const RCPtr<LLayoutDescriptor>& layout,
                                                                  const String& newName) const
{
    if (!descriptor)
        KV_THROW_NULL_POINTER("descriptor");
    RCPtr<LControlDescriptor> clone = descriptor->Clone();
    clone->mName = newName;
    clone->SetLayoutDescriptor(layout);
    return clone;
}

bool LControlFactory::GetSkinFont(String& faceName, float& size, int32_t& style) const
{
    const RCPtr<LControlDescriptor> root = GetCurrentSkin();
    if (!root || !root->mSkin)
        return true;
    const LSkinDescriptor& skin = *root->mSkin;
    bool givesNone = true;
    if (skin.HasFontName())
    {
        faceName = skin.mFontName;
        givesNone = false;
    }
    if (skin.HasFontSize())
    {
        size = skin.mFontSize;
        givesNone = false;
    }
    if (skin.HasFontStyle())
    {
        style = skin.mFontStyle;
        givesNone = false;
    }
    return givesNone;
}

String LControlFactory::TranslateFontName(const String& faceName) const
{
    const auto translation = mFontTranslations.find(faceName);
    return translation == mFontTranslations.end() ? faceName : translation->second;
}

RCPtr<LStringTable> LControlFactory::GetFrameworkStringTable() const
{
    return CopyOfTable(mStringTables, String(u"Framework"));
}

RCPtr<LStringTable> LControlFactory::GetAppStringTable() const
{
    return CopyOfTable(mStringTables, String(u"|").Concat(mAppName));
}

RCPtr<LStringTable> LControlFactory::GetStringTable(const LControlDescriptor* parentDescriptor,
                                                    const String& name) const
{
    String key = parentDescriptor ? parentDescriptor->mClassName : mAppName;
    key.AppendChar(u'|');
    key.Append(name);
    return CopyOfTable(mStringTables, key);
}

} // namespace KV
