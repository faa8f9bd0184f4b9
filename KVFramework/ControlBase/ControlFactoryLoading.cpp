// Loading the documents of a control factory: from the executable's resources or from
// the files of a folder, and the language choice of the string tables.

#include "ControlBase/ControlFactory.h"

#include "Storage/File.h"
#include "System/ModuleResources.h"
#include "XmlDocumentParser.h"

#include <new>
#include <optional>
#include <vector>

namespace KV {

namespace {

constexpr const char16_t* kDocumentResourceType = u"KVXML";

// Traditional Chinese of Taiwan, Hong Kong and Macao falls back to traditional Chinese,
// every other language to its primary language.
int32_t FallbackLanguage(int32_t lcid)
{
    if (lcid == 0x0404 || lcid == 0x0C04 || lcid == 0x1404)
        return 0x7C04;
    return lcid & 0xFF;
}
constexpr int32_t kEnglish = 0x0009;

bool IsResourceName(const String& name)
{
    return name.View().starts_with(LControlFactory::kResourceFolder);
}

// The bytes of one document: a resource's own, or a file's read into memory.
class DocumentBytes
{
public:
    // A resource's bytes, or none when the executable carries no such document (or an
    // empty one). A file's bytes, or none when it is larger than any document may be; a
    // file that cannot be opened or read throws its file error; E_OUTOFMEMORY goes to
    // `result` when there is no memory to hold it.
    static std::optional<DocumentBytes> Read(const String& name, KVRESULT& result)
    {
        result = S_OK;
        if (IsResourceName(name))
        {
            const std::span<const unsigned char> bytes =
                FindModuleResource(kDocumentResourceType, ResourceNameOfFile(name.MidFrom(2)).View());
            if (bytes.empty())
                return std::nullopt;
            return DocumentBytes(bytes);
        }
        File file(name, String(), File::OPEN_READ);
        const int64_t length = file.GetLength();
        // A document the parser would refuse is not read into memory at all.
        if (length < 0 || static_cast<uint64_t>(length) > kMaxXmlDocumentBytes)
            return std::nullopt;
        DocumentBytes document;
        try
        {
            document.mOwned.resize(static_cast<size_t>(length));
        }
        catch (const std::bad_alloc&)
        {
            result = E_OUTOFMEMORY;
            return std::nullopt;
        }
        const uint32_t read = file.Read(document.mOwned.data(), static_cast<uint32_t>(length));
        document.mOwned.resize(read);
        file.Close();
        document.mBytes = document.mOwned;
        return document;
    }

    std::span<const unsigned char> Bytes() const noexcept { return mBytes; }

    // A moved vector keeps its block, so the span stays valid.
    DocumentBytes(DocumentBytes&& other) noexcept = default;
    DocumentBytes& operator=(DocumentBytes&& other) noexcept = default;

private:
    DocumentBytes() = default;
    explicit DocumentBytes(std::span<const unsigned char> bytes) : mBytes(bytes) {}

    std::vector<unsigned char> mOwned;
    std::span<const unsigned char> mBytes;
};

} // namespace

KVRESULT LControlFactory::LoadResources(const String& folder, int32_t wantedLcid)
{
    String appDocument, frameworkDocument, skinDocument;
    if (folder.EqualsText(kResourceFolder))
    {
        mResourceFolder = folder;
        appDocument = folder.Concat(String(u"APP_STRINGS"));
        frameworkDocument = folder.Concat(String(u"FRAMEWORK_STRINGS"));
        skinDocument = folder.Concat(String(u"APP_SKINS"));
    }
    else
    {
        mResourceFolder = folder;
        const std::u16string_view text = folder.View();
        if (!text.empty() && !text.ends_with(u'/') && !text.ends_with(u'\\'))
            mResourceFolder.AppendChar(u'/');
        appDocument = mResourceFolder.Concat(String(u"StringTables.xml"));
        frameworkDocument = mResourceFolder.Concat(String(u"FrameworkStrings.xml"));
        skinDocument = mResourceFolder.Concat(String(u"Skins.xml"));
    }
    const KVRESULT result = LoadStringTables(appDocument, frameworkDocument, wantedLcid);
    if (KV_FAILED(result))
        return result;
    return LoadXMLDocument(skinDocument);
}

int32_t LControlFactory::ParseStringTablePass(std::span<const unsigned char> document)
{
    mReader.mStringTableMode = true;
    mReader.mCollecting = false;
    mReader.mMatchedLocaleCount = 0;
    // A malformed string table keeps what was read before the error; loading goes on.
    ParseXML(document);
    return mReader.mMatchedLocaleCount;
}

KVRESULT LControlFactory::LoadStringTables(const String& appDocument, const String& frameworkDocument,
                                           int32_t wantedLcid)
{
    mWantedLcid = wantedLcid;
    KVRESULT result = S_OK;
    // The application's texts choose the language: the one asked for, else its fallback,
    // else English.
    if (std::optional<DocumentBytes> document = DocumentBytes::Read(appDocument, result))
    {
        if (ParseStringTablePass(document->Bytes()) == 0)
        {
            mWantedLcid = FallbackLanguage(mWantedLcid);
            if (ParseStringTablePass(document->Bytes()) == 0)
            {
                mWantedLcid = kEnglish;
                ParseStringTablePass(document->Bytes());
            }
        }
    }
    if (KV_FAILED(result))
        return result;
    // The framework's texts follow that language, else English.
    if (std::optional<DocumentBytes> document = DocumentBytes::Read(frameworkDocument, result))
    {
        if (ParseStringTablePass(document->Bytes()) == 0)
        {
            mWantedLcid = kEnglish;
            ParseStringTablePass(document->Bytes());
        }
    }
    mReader.mStringTableMode = false;
    return KV_FAILED(result) ? result : S_OK;
}

KVRESULT LControlFactory::LoadXMLDocument(const String& skinDocument)
{
    KVRESULT result = S_OK;
    std::optional<DocumentBytes> document;
    try
    {
        document = DocumentBytes::Read(skinDocument, result);
    }
    catch (const std::exception&)
    {
        return E_FAIL; // the file cannot be opened or read
    }
    if (KV_FAILED(result))
        return result;
    if (!document)
        return E_FAIL;
    mReader.mStringTableMode = false;
    mReader.mInCreateParam = false;
    mReader.mInLooks = false;
    mReader.mCurrentControl = nullptr;
    result = ParseXML(document->Bytes());
    mCurrentSkinIndex = 0;
    return result;
}

} // namespace KV
