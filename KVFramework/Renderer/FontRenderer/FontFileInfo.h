#pragma once
// LFontFileInfo: the font files of one family, by style (regular, bold, italic, bold
// italic), and the process's table of them. The table is read from the font files the
// machine offers: each face's family and style come from its name table. A font is found
// by its face name; a name that no file has falls back to the family that stands in for
// it, so every font resolves to a file that exists while any font is installed.
//
// A face id names one file of one entry: entry index x 4 + style.
//
// Window thread only.

#include "KVResult.h"
#include "ObjectBase/RCPtr.h"
#include "Renderer/Font.h"
#include "Storage/StringT.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace KV {

class LFontFileInfo : public virtual LRefCountedObject
{
public:
    static constexpr int32_t kRegular = 0;
    static constexpr int32_t kBold = 1;
    static constexpr int32_t kItalic = 2;
    static constexpr int32_t kBoldItalic = 3;

    // One face: the file (UTF-8) and the face's index in it (collections hold several).
    struct FaceFile
    {
        std::string path;
        int32_t faceIndex = 0;
        bool IsEmpty() const noexcept { return path.empty(); }
    };

    // Rebuilds the table from the files fontconfig lists: S_OK, or E_FAIL when no font
    // could be read.
    static KVRESULT BuildFontTable();
    // Rebuilds the table from these files (every face of each); unreadable files are left
    // out. The first file of a family and style wins.
    static KVRESULT BuildFontTable(const std::vector<std::string>& files);
    // Empties the table and the fonts found so far.
    static void ClearFontTable();
    // A new entry at the end of the table.
    static RCPtr<LFontFileInfo> AddTableEntry(const String& familyName);
    static const std::vector<RCPtr<LFontFileInfo>>& GetFontTable();

    // The face id of the font (its style bits above italic are ignored); the files of a
    // style the family lacks are completed from its other styles. Throws runtime_error
    // when the table is empty.
    static int32_t GetFileID(const ConstRCPtr<LFont>& font);
    // The face of a face id; empty for an id outside the table.
    static FaceFile GetFaceFile(int32_t faceId);

    // The entry of the family, searched from the last to the first; null when none.
    static RCPtr<LFontFileInfo> FindFamily(const String& familyName);

    // Gives the style its file unless it has one: the first file of a style wins.
    void SetFileIfEmpty(int32_t style, const FaceFile& file);
    const String& GetFamilyName() const noexcept { return mFamilyName; }
    const FaceFile& GetFile(int32_t style) const { return mFiles[static_cast<size_t>(style & 3)]; }
    int32_t GetIndex() const noexcept { return mIndex; }

protected:
    LFontFileInfo(const String& familyName, int32_t index) : mFamilyName(familyName), mIndex(index) {}
    ~LFontFileInfo() override = default;

private:
    // Fills an empty style's slot from the others.
    void CompleteStyle(int32_t style);

    String mFamilyName;
    std::array<FaceFile, 4> mFiles;
    int32_t mIndex;
};

} // namespace KV
