// The font-file table and FreeType text measuring, without a display.

#include "Renderer/FontRenderer/FontFileInfo.h"
#include "Renderer/FontRenderer/FreetypeFontRenderer.h"
#include "Renderer/OpenGL/GLGlyphRenderer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

using namespace KV;
namespace fs = std::filesystem;

namespace {

const fs::path kDejaVu = "/usr/share/fonts/truetype/dejavu";

std::vector<uint8_t> ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t Read32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 | b[at + 3];
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

// A font collection of the fonts: each font's table directory with its tables copied
// after it, their offsets counted from the start of the collection.
std::vector<uint8_t> MakeCollection(const std::vector<std::vector<uint8_t>>& fonts)
{
    std::vector<uint8_t> out(12 + 4 * fonts.size(), 0);
    out[0] = 't', out[1] = 't', out[2] = 'c', out[3] = 'f';
    Put32(out, 4, 0x00010000);
    Put32(out, 8, static_cast<uint32_t>(fonts.size()));
    for (size_t f = 0; f < fonts.size(); ++f)
    {
        const std::vector<uint8_t>& font = fonts[f];
        const size_t tables = size_t{font[4]} << 8 | font[5];
        const size_t directory = out.size();
        Put32(out, 12 + 4 * f, static_cast<uint32_t>(directory));
        out.insert(out.end(), font.begin(), font.begin() + static_cast<ptrdiff_t>(12 + 16 * tables));
        for (size_t t = 0; t < tables; ++t)
        {
            const size_t record = 12 + 16 * t;
            const uint32_t offset = Read32(font, record + 8);
            const uint32_t length = Read32(font, record + 12);
            while (out.size() % 4 != 0)
                out.push_back(0);
            Put32(out, directory + record + 8, static_cast<uint32_t>(out.size()));
            out.insert(out.end(), font.begin() + offset, font.begin() + offset + length);
        }
    }
    return out;
}

class FontFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mFolder = fs::temp_directory_path() / ("kv-fonts-" + std::to_string(::getpid()));
        fs::create_directories(mFolder);
        for (const char* name :
             {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSerif.ttf", "DejaVuSerif-Bold.ttf"})
            fs::copy_file(kDejaVu / name, mFolder / name, fs::copy_options::overwrite_existing);
        std::ofstream(mFolder / "broken.ttf") << "not a font at all";
        const std::vector<uint8_t> collection = MakeCollection(
            {ReadAll(kDejaVu / "DejaVuSansMono.ttf"), ReadAll(kDejaVu / "DejaVuSansMono-Bold.ttf")});
        std::ofstream(mFolder / "mono.ttc", std::ios::binary)
            .write(reinterpret_cast<const char*>(collection.data()),
                   static_cast<std::streamsize>(collection.size()));
    }
    void TearDown() override
    {
        LFontFileInfo::ClearFontTable();
        fs::remove_all(mFolder);
    }
    std::vector<std::string> Files() const
    {
        std::vector<std::string> files;
        for (const fs::directory_entry& entry : fs::directory_iterator(mFolder))
            files.push_back(entry.path().string());
        std::sort(files.begin(), files.end());
        return files;
    }

    fs::path mFolder;
};

} // namespace

TEST_F(FontFolder, FontsFindTheirFilesByFamilyAndStyle)
{
    ASSERT_EQ(S_OK, LFontFileInfo::BuildFontTable(Files()));
    std::vector<std::string> families;
    for (const RCPtr<LFontFileInfo>& entry : LFontFileInfo::GetFontTable())
        families.push_back(std::string(entry->GetFamilyName().ToNarrow().View()));
    EXPECT_EQ((std::vector<std::string>{"DejaVu Sans", "DejaVu Serif", "DejaVu Sans Mono"}), families);

    struct Case
    {
        const char16_t* face;
        int32_t style;
        int32_t entry;
        const char* file;
        int32_t faceIndex;
    };
    const Case cases[] = {
        {u"DejaVu Sans", 0, 0, "DejaVuSans.ttf", 0},
        {u"DejaVu Sans", kFontStyleBold, 0, "DejaVuSans-Bold.ttf", 0},
        // No italic file: the regular one stands in.
        {u"DejaVu Sans", kFontStyleItalic, 0, "DejaVuSans.ttf", 0},
        {u"DejaVu Sans", kFontStyleBold | kFontStyleItalic, 0, "DejaVuSans-Bold.ttf", 0},
        // Underline and strike-out do not change the face.
        {u"DejaVu Serif", kFontStyleBold | kFontStyleUnderline | kFontStyleStrikeout, 1,
         "DejaVuSerif-Bold.ttf", 0},
        {u"DejaVu Sans Mono", 0, 2, "mono.ttc", 0},
        {u"DejaVu Sans Mono", kFontStyleBold, 2, "mono.ttc", 1},
        // A family no file has: the one fontconfig stands in with.
        {u"Tahoma", 0, 0, "DejaVuSans.ttf", 0},
    };
    for (const Case& c : cases)
    {
        const RCPtr<LFont> font = LFont::GetFont(c.face, 11.0f, c.style);
        const int32_t id = LFontFileInfo::GetFileID(font);
        EXPECT_EQ(c.entry * 4 + (c.style & 3), id) << c.file;
        const LFontFileInfo::FaceFile file = LFontFileInfo::GetFaceFile(id);
        EXPECT_EQ((mFolder / c.file).string(), file.path);
        EXPECT_EQ(c.faceIndex, file.faceIndex) << c.file;
    }
    EXPECT_TRUE(LFontFileInfo::GetFaceFile(-1).IsEmpty());
    EXPECT_TRUE(LFontFileInfo::GetFaceFile(12).IsEmpty());
}

TEST_F(FontFolder, TheSecondFaceOfACollectionIsLoaded)
{
    ASSERT_EQ(S_OK, LFontFileInfo::BuildFontTable(Files()));
    const RCPtr<LGlyphProcessor> glyphs = LGLGlyphRenderer::Create();
    const RCPtr<LFreetypeFontRenderer> renderer = LFreetypeFontRenderer::Create(glyphs, glyphs);
    // The bold face of a monospaced family is as wide per character as the regular one,
    // and measuring it needs face 1 of the collection.
    const RectT<float> regular =
        renderer->GetTextExtent(u"mmmm", LFont::GetFont(u"DejaVu Sans Mono", 12.0f, 0));
    const RectT<float> bold =
        renderer->GetTextExtent(u"mmmm", LFont::GetFont(u"DejaVu Sans Mono", 12.0f, kFontStyleBold));
    EXPECT_GT(regular.width, 20.0f);
    EXPECT_FLOAT_EQ(regular.width, bold.width);
}

TEST(FontFileTable, NoReadableFileGivesAnEmptyTableAndAnError)
{
    EXPECT_EQ(E_FAIL, LFontFileInfo::BuildFontTable({"/nonexistent/font.ttf"}));
    EXPECT_TRUE(LFontFileInfo::GetFontTable().empty());
    EXPECT_THROW(LFontFileInfo::GetFileID(LFont::GetFont(u"DejaVu Sans", 10.0f, 0)), std::runtime_error);
}

namespace {

// Counts the glyphs the font renderer had to rasterise.
class CountingGlyphRenderer : public LGLGlyphRenderer
{
public:
    void ProcessGlyph(GlyphRecord& record) override
    {
        rasterised += record.pixels ? 1 : 0;
        LGLGlyphRenderer::ProcessGlyph(record);
    }
    int32_t rasterised = 0;
};

} // namespace

TEST(FreetypeFontRenderer, MeasuresWithKerningAndRasterisesEachGlyphOnce)
{
    LFontFileInfo::ClearFontTable();
    ASSERT_EQ(S_OK, LFontFileInfo::BuildFontTable());
    RCPtr<CountingGlyphRenderer> counting(new CountingGlyphRenderer());
    const RCPtr<LFreetypeFontRenderer> renderer = LFreetypeFontRenderer::Create(counting, counting);
    const RCPtr<LFont> font = LFont::GetFont(u"DejaVu Sans", 24.0f, 0);

    int32_t height = 0;
    int32_t cellTop = 0;
    int32_t cellBottom = 0;
    ASSERT_EQ(S_OK, renderer->GetFontMetrics(font, height, cellTop, cellBottom));
    EXPECT_LT(cellTop, 0);
    EXPECT_GT(cellBottom, 0);
    EXPECT_GE(height, cellBottom - cellTop);

    const RectT<float> a = renderer->GetTextExtent(u"A", font);
    const RectT<float> v = renderer->GetTextExtent(u"V", font);
    const RectT<float> av = renderer->GetTextExtent(u"AV", font);
    // Each extent counts one pixel more than its advances; "AV" is kerned closer.
    EXPECT_LT(av.width, a.width + v.width - 1);
    EXPECT_EQ(static_cast<float>(cellTop), a.y);
    EXPECT_EQ(static_cast<float>(cellBottom - cellTop), a.height);

    counting->rasterised = 0;
    renderer->GetTextExtent(u"QQQQ", font);
    renderer->GetTextExtent(u"QQ", font);
    EXPECT_EQ(1, counting->rasterised);
    EXPECT_EQ((RectT<float>{}), renderer->GetTextExtent(u"", font));
    LFontFileInfo::ClearFontTable();
}
