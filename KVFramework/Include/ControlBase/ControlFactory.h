#pragma once
// LControlFactory: the registry of control classes of the process, and the owner of
// everything read from the skin and string-table documents: the skins, their colorizers,
// parts, looks and look lists, the string tables and the font translations.
//
// Documents come from resources of the executable (folder "::") or from files of a
// folder. A skin document is read in order and a name refers only to an element read
// before it; the first definition of a name wins. Used on the window thread only.

#include "ControlBase/ControlDescriptor.h"
#include "ControlBase/StringTable.h"
#include "Storage/RCPtrArray.h"
#include "Storage/StringT.h"

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>

namespace KV {

class LRootWindow;

class LControlFactory : public virtual LRefCountedObject
{
public:
    // The folder name that stands for the executable's own resources.
    static constexpr const char16_t* kResourceFolder = u"::";

    // appName: the product name, until a document's Application element renames it.
    static RCPtr<LControlFactory> Create(const String& appName);

    // From "::": the resources APP_STRINGS, FRAMEWORK_STRINGS and APP_SKINS; from a
    // folder: its StringTables.xml, FrameworkStrings.xml and Skins.xml. 0, or the
    // string tables' failure (the skin is then not read), or the skin's.
    KVRESULT LoadResources(const String& folder, int32_t wantedLcid);
    // Reads both documents for the wanted language, falling back to its primary
    // language and then to English (see the source). 0, or E_OUTOFMEMORY. A missing
    // resource document is skipped; a file that cannot be opened or read throws its
    // file error to the caller; a malformed document keeps what was read before the
    // error.
    KVRESULT LoadStringTables(const String& appDocument, const String& frameworkDocument, int32_t wantedLcid);
    // 0; E_FAIL for a document that is missing, empty, unreadable or malformed (the
    // skins read before the error stay); E_OUTOFMEMORY. The current skin becomes 0.
    KVRESULT LoadXMLDocument(const String& skinDocument);
    // Reads one whole document with the reader state the caller set up: 0 or E_FAIL (the
    // error is kept, see GetLastParseError).
    KVRESULT ParseXML(std::span<const unsigned char> document);

    // The reader's reaction to one element of a document; normally called by ParseXML.
    // Throws a runtime error for a SubControl without Class or Name.
    void XMLStartElement(const String& name, const std::map<String, String>& attributes);
    void XMLEndElement(const String& name);
    // One piece of character data, in UTF-8.
    void XMLCharacterData(std::string_view utf8);

    // 0; when the name is registered already, the first function stays.
    KVRESULT RegisterControlClass(const String& className, ControlCreateFunction createFunction);
    // Throws a runtime error for a name never registered.
    ControlCreateFunction GetControlCreateFunction(const String& className) const;
    // Makes a control of the descriptor's class, resolving its create function on first use
    // and keeping it in the descriptor. An unregistered class throws and caches nothing.
    RCPtr<LControl> CreateControl(const RCPtr<LControlDescriptor>& descriptor, const RCPtr<LControl>& parent);
    // The current skin's top-level control of that name, made visible, created without
    // parent and attached to the root window; null when the skin has no such control.
    RCPtr<LControl> CreateControlByName(const String& name, const RCPtr<LRootWindow>& rootWindow);
    // The current skin's top-level descriptor of that name, the last one when several
    // share it; a null pointer when there is none (or no current skin).
    const RCPtr<LControlDescriptor>& FindControlDescriptor(const String& name) const;
    // Applies the current skin's top-level descriptor named like the control to it (after
    // the skin changed); E_FAIL for a null control or a name the skin lacks.
    KVRESULT ApplySkinToControl(const RCPtr<LControl>& control) const;
    // A shallow clone under a new name, with the given layout.
    RCPtr<LControlDescriptor> CloneControlDescriptor(const RCPtr<LControlDescriptor>& descriptor,
                                                     const RCPtr<LLayoutDescriptor>& layout,
                                                     const String& newName) const;

    // The current skin's default font: each value is written only when the skin gives
    // it. True when it gives none (also without a current skin).
    bool GetSkinFont(String& faceName, float& size, int32_t& style) const;
    // The face that the skin's font translations give for the wanted language, else the
    // name itself.
    String TranslateFontName(const String& faceName) const;

    // New copies of stored tables; null when the store has none under the key.
    RCPtr<LStringTable> GetFrameworkStringTable() const;
    RCPtr<LStringTable> GetAppStringTable() const;
    // The table of a control: "<parent's class>|<name>", or "<application>|<name>" for a
    // control without parent (parentDescriptor null).
    RCPtr<LStringTable> GetStringTable(const LControlDescriptor* parentDescriptor, const String& name) const;

    const String& GetApplicationName() const noexcept { return mAppName; }
    int32_t GetWantedLcid() const noexcept { return mWantedLcid; }
    const String& GetResourceFolder() const noexcept { return mResourceFolder; }
    const RCPtrArray<LControlDescriptor>& GetSkins() const noexcept { return mSkins; }
    int32_t GetCurrentSkinIndex() const noexcept { return mCurrentSkinIndex; }
    void SetCurrentSkinIndex(int32_t index) noexcept { mCurrentSkinIndex = index; }
    // The skin root at the current index; null when there is none.
    RCPtr<LControlDescriptor> GetCurrentSkin() const;

    // What the last failed parse reported: the message, its line and the element.
    struct ParseError
    {
        String mText;
        int32_t mLine = 0;
        String mElement;
    };
    const ParseError& GetLastParseError() const noexcept { return mLastParseError; }

    // The records read so far, by name.
    const std::map<String, RCPtr<LColorizer>>& GetColorizers() const noexcept { return mColorizers; }
    const std::map<String, RCPtr<LVisualPartDescriptor>>& GetParts() const noexcept { return mParts; }
    const std::map<String, RCPtr<LLookDescriptor>>& GetLooks() const noexcept { return mLooks; }
    const std::map<String, RCPtr<LLookList>>& GetLookLists() const noexcept { return mLookLists; }

protected:
    explicit LControlFactory(const String& appName) : mAppName(appName) {}
    ~LControlFactory() override = default;

private:
    using Attributes = std::map<String, String>;

    // One string-table parse; the number of Locale elements of the wanted language.
    int32_t ParseStringTablePass(std::span<const unsigned char> document);

    // The elements of a skin document.
    void ReadSkinElement(const String& name, const Attributes& attributes);
    void ReadColorizer(const Attributes& attributes);
    void ReadPart(const Attributes& attributes);
    void ReadLookDefinition(const Attributes& attributes);
    void ReadClientPart(const Attributes& attributes);
    void ReadNonClientPart(const Attributes& attributes);
    void ReadTextProperties(const Attributes& attributes);
    void ReadLookList(const Attributes& attributes);
    void ReadLookListEntry(const Attributes& attributes);
    void ReadSkin(const Attributes& attributes);
    void ReadFontXLat(const Attributes& attributes);
    void ReadSubControl(const Attributes& attributes);
    void ReadCreateParam(const Attributes& attributes);
    // The elements of a string-table document.
    void ReadStringTableElement(const String& name, const Attributes& attributes);
    // The reader skips the element being started with everything nested in it.
    void SkipElement();

    String mAppName;
    int32_t mWantedLcid = 0;
    String mResourceFolder;
    RCPtrArray<LControlDescriptor> mSkins;
    int32_t mCurrentSkinIndex = 0;
    std::map<String, ControlCreateFunction> mControlClasses;
    std::map<String, LStringTable::TextMap> mStringTables;
    std::map<String, RCPtr<LColorizer>> mColorizers;
    std::map<String, RCPtr<LVisualPartDescriptor>> mParts;
    std::map<String, RCPtr<LLookDescriptor>> mLooks;
    std::map<String, RCPtr<LLookList>> mLookLists;
    std::map<String, String> mFontTranslations;
    ParseError mLastParseError;

    // Reader state: set up per document by the loaders, per parse by ParseXML.
    struct ReaderState
    {
        bool mSkipRoot = true;
        bool mStringTableMode = false;
        int32_t mSkipDepth = 0; // > 0 while inside an element that is ignored whole
        // String-table documents.
        LStringTable::TextMap* mCurrentStringMap = nullptr; // inside mStringTables
        String* mCurrentText = nullptr;                     // inside mCurrentStringMap
        String mCurrentStringId;
        bool mCollecting = false;
        int32_t mMatchedLocaleCount = 0;
        // Skin documents.
        RCPtr<LControlDescriptor> mCurrentControl;
        RCPtr<LLookDescriptor> mCurrentLook;
        RCPtr<LLookList> mCurrentLookList;
        RCPtr<LStringTable> mCurrentCreateParams;
        bool mInCreateParam = false;
        bool mCreateParamHasText = false;
        std::string mCreateParamText; // UTF-8, decoded when the parameter closes
        bool mInLooks = false;
        String mPendingFontName;
        float mPendingFontSize = 0;
        int32_t mPendingFontStyle = LSkinDescriptor::kFontStyleNotSet;
        bool mPendingFontInherits = false;
        bool mPendingFontSizeIsRelative = false;
        int32_t mFontLocale = -1;
    } mReader;
};

} // namespace KV
