#include "Renderer/FontRenderer/FontFileInfo.h"

#include "ObjectBase/Exception.h"
#include "Platform/Graphics/FontFiles.h"
#include "Renderer/FontRenderer/FreetypeLibrary.h"

#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H

#include <unordered_map>

namespace KV {

namespace {

struct Table
{
    std::vector<RCPtr<LFontFileInfo>> entries;
    // Fonts found before, by their serial.
    std::unordered_map<int32_t, RCPtr<LFontFileInfo>> fonts;
};

Table& TheTable()
{
    static Table* const table = new Table(); // never destroyed: fonts may ask at exit
    return *table;
}

// A name record's text: Macintosh names are single bytes, Windows names UTF-16 big-endian.
String NameText(const FT_SfntName& name)
{
    std::u16string text;
    if (name.platform_id == TT_PLATFORM_MICROSOFT)
    {
        for (FT_UInt i = 0; i + 1 < name.string_len; i += 2)
            text += static_cast<char16_t>(name.string[i] << 8 | name.string[i + 1]);
    }
    else
    {
        for (FT_UInt i = 0; i < name.string_len; ++i)
            text += static_cast<char16_t>(name.string[i]);
    }
    return String(text.c_str());
}

int32_t StyleOfSubfamily(const String& subfamily)
{
    const std::u16string_view lower = subfamily.View();
    std::u16string text(lower);
    for (char16_t& c : text)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c + (u'a' - u'A'));
    // Oblique faces are the italics of families that have no cursive design.
    if (text == u"bold italic" || text == u"bold oblique")
        return LFontFileInfo::kBoldItalic;
    if (text == u"italic" || text == u"oblique")
        return LFontFileInfo::kItalic;
    if (text == u"bold")
        return LFontFileInfo::kBold;
    return LFontFileInfo::kRegular;
}

// The family and subfamily of a face: the first English name of each in its name table,
// else what FreeType names it.
bool ReadNames(FT_Face face, String& family, String& subfamily)
{
    const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
    for (FT_UInt i = 0; i < count; ++i)
    {
        FT_SfntName name;
        if (FT_Get_Sfnt_Name(face, i, &name) != 0)
            continue;
        const bool english = (name.platform_id == TT_PLATFORM_MACINTOSH && name.language_id == 0) ||
                             (name.platform_id == TT_PLATFORM_MICROSOFT && name.language_id == 0x0409);
        if (!english)
            continue;
        if (name.name_id == TT_NAME_ID_FONT_FAMILY && family.IsEmpty())
            family = NameText(name);
        else if (name.name_id == TT_NAME_ID_FONT_SUBFAMILY && subfamily.IsEmpty())
            subfamily = NameText(name);
    }
    if (family.IsEmpty() && face->family_name)
        family = String(static_cast<const char*>(face->family_name));
    if (subfamily.IsEmpty() && face->style_name)
        subfamily = String(static_cast<const char*>(face->style_name));
    return !family.IsEmpty();
}

void AddFile(FT_Library library, const std::string& path)
{
    FT_Face probe = nullptr;
    if (FT_New_Face(library, path.c_str(), -1, &probe) != 0)
        return;
    const FT_Long faces = probe->num_faces;
    FT_Done_Face(probe);
    for (FT_Long index = 0; index < faces && index < 0x10000; ++index)
    {
        FT_Face face = nullptr;
        if (FT_New_Face(library, path.c_str(), index, &face) != 0)
            continue;
        String family;
        String subfamily;
        if (ReadNames(face, family, subfamily))
        {
            RCPtr<LFontFileInfo> entry = LFontFileInfo::FindFamily(family);
            if (!entry)
                entry = LFontFileInfo::AddTableEntry(family);
            entry->SetFileIfEmpty(StyleOfSubfamily(subfamily), {path, static_cast<int32_t>(index)});
        }
        FT_Done_Face(face);
    }
}

} // namespace

const std::vector<RCPtr<LFontFileInfo>>& LFontFileInfo::GetFontTable()
{
    return TheTable().entries;
}

void LFontFileInfo::ClearFontTable()
{
    TheTable().fonts.clear();
    TheTable().entries.clear();
}

RCPtr<LFontFileInfo> LFontFileInfo::AddTableEntry(const String& familyName)
{
    Table& table = TheTable();
    RCPtr<LFontFileInfo> entry(new LFontFileInfo(familyName, static_cast<int32_t>(table.entries.size())));
    table.entries.push_back(entry);
    return entry;
}

KVRESULT LFontFileInfo::BuildFontTable()
{
    return BuildFontTable(Platform::ListFontFiles());
}

KVRESULT LFontFileInfo::BuildFontTable(const std::vector<std::string>& files)
{
    ClearFontTable();
    if (!FreetypeLibrary::Acquire())
        return E_FAIL;
    for (const std::string& path : files)
        AddFile(FreetypeLibrary::GetLibrary(), path);
    FreetypeLibrary::Release();
    return TheTable().entries.empty() ? E_FAIL : S_OK;
}

RCPtr<LFontFileInfo> LFontFileInfo::FindFamily(const String& familyName)
{
    const std::vector<RCPtr<LFontFileInfo>>& entries = TheTable().entries;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        if ((*it)->mFamilyName.View() == familyName.View())
            return *it;
    return nullptr;
}

void LFontFileInfo::SetFileIfEmpty(int32_t style, const FaceFile& file)
{
    FaceFile& slot = mFiles[static_cast<size_t>(style & 3)];
    if (slot.IsEmpty())
        slot = file;
}

void LFontFileInfo::CompleteStyle(int32_t style)
{
    static constexpr int32_t kFallbacks[4][3] = {
        {kBold, kItalic, kBoldItalic},    // regular
        {kBoldItalic, kRegular, kItalic}, // bold
        {kBoldItalic, kRegular, kBold},   // italic
        {kBold, kItalic, kRegular},       // bold italic
    };
    FaceFile& slot = mFiles[static_cast<size_t>(style)];
    for (int32_t other : kFallbacks[style])
    {
        if (!slot.IsEmpty())
            return;
        slot = mFiles[static_cast<size_t>(other)];
    }
}

int32_t LFontFileInfo::GetFileID(const ConstRCPtr<LFont>& font)
{
    Table& table = TheTable();
    const int32_t serial = LFont::GetUniqueID(font.Get());
    RCPtr<LFontFileInfo> entry;
    if (auto known = table.fonts.find(serial); known != table.fonts.end())
        entry = known->second;
    if (!entry && font)
        entry = FindFamily(font->GetFaceName());
    if (!entry && font)
    {
        // The family that stands in for a name no file has.
        const std::string standIn =
            Platform::MatchFontFamily(std::string(font->GetFaceName().ToNarrow().View()));
        if (!standIn.empty())
            entry = FindFamily(String(standIn.c_str()));
    }
    if (!entry && !table.entries.empty())
        entry = table.entries.front();
    if (!entry)
        KV_THROW(std::runtime_error, "");
    if (font)
        table.fonts[serial] = entry;
    const int32_t style = font ? (font->GetStyle() & 3) : kRegular;
    entry->CompleteStyle(style);
    return entry->mIndex * 4 + style;
}

LFontFileInfo::FaceFile LFontFileInfo::GetFaceFile(int32_t faceId)
{
    const std::vector<RCPtr<LFontFileInfo>>& entries = TheTable().entries;
    if (faceId < 0 || static_cast<size_t>(faceId / 4) >= entries.size())
        return {};
    return entries[static_cast<size_t>(faceId / 4)]->mFiles[static_cast<size_t>(faceId % 4)];
}

} // namespace KV
