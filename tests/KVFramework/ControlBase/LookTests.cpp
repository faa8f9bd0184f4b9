#include "ControlBase/Look.h"

#include "GdiFrame.h"
#include "LookTestSupport.h"
#include "MeasuringApp.h"
#include "PngTestFile.h"
#include "RecordingRenderer.h"
#include "TemporaryFolder.h"
#include "ThrownText.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace KV;
using namespace KV::Testing;

namespace {

constexpr uint32_t kTransparentWhite = 0x00FFFFFF;

struct PlacementCase
{
    const char* name;
    LDockedPart::Placement placement;
    SizeT<int32_t> partSize;
    RectT<int32_t> expected;
};

TEST(LookPlacement, PartsAroundTheClientAreaDockByTheirOffsets)
{
    LDockedPart::Placement wide = Offsets(kL | kT | kB, 5);
    wide.mWidthGiven = true;
    wide.mWidth = 20;
    const PlacementCase cases[] = {
        {"left cap", Offsets(kL | kT | kB), {10, 31}, {0, 0, 10, 31}},
        {"right cap", Offsets(kT | kR | kB), {10, 31}, {110, 0, 10, 31}},
        {"centred across, 109 halved", Offsets(kT | kB), {11, 31}, {54, 0, 11, 31}},
        {"centred both ways", Offsets(0), {10, 11}, {55, 10, 10, 11}},
        {"bottom-right corner inset", Offsets(kR | kB, 0, 0, -2, -3), {6, 5}, {112, 23, 6, 5}},
        {"top edge between insets", Offsets(kL | kT | kR, 4, 0, -4), {1, 3}, {4, 0, 112, 3}},
        {"given width wins over the part's", wide, {10, 31}, {5, 0, 20, 31}},
    };
    for (const PlacementCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        const RCPtr<LLook> look = LLook::Create(
            MakeLook(nullptr, {}, {{FillPart(c.partSize.width, c.partSize.height, 0xFF000000), c.placement}}),
            false);
        look->SetSize({120, 31});
        ASSERT_EQ(look->GetPartRects().size(), 1u);
        EXPECT_EQ(look->GetPartRects()[0], c.expected);
    }
}

TEST(LookPlacement, ClientAreaFollowsItsOffsetsInsideTheLook)
{
    struct Case
    {
        const char* name;
        bool hasClient;
        LDockedPart::Placement placement;
        RectT<int32_t> expected;
    } const cases[] = {
        {"all offsets 0 fill the look", true, Offsets(15), {0, 0, 120, 31}},
        {"right -5 leaves 5 pixels", true, Offsets(15, 0, 0, -5), {0, 0, 115, 31}},
        {"inset on every side", true, Offsets(15, 4, 3, -4, -3), {4, 3, 112, 25}},
        {"left beyond the look", true, Offsets(15, 200, 0, 0, 0), {120, 0, 0, 31}},
        {"inset larger than the look", true, Offsets(15, 0, 0, -500, 0), {0, 0, 0, 31}},
        {"no client part: the whole look", false, {}, {0, 0, 120, 31}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const RCPtr<LLook> look =
            LLook::Create(MakeLook(c.hasClient ? FillPart(1, 1, 0xFF00FF00) : nullptr, c.placement), false);
        EXPECT_TRUE(look->SetSize({120, 31}));
        EXPECT_EQ(look->GetClientRect(), c.expected);
        EXPECT_EQ(look->GetClipRect(), c.expected);
    }
}

TEST(LookPlacement, NewDescriptorIsPlacedAgainAtTheSameSize)
{
    const RCPtr<LLook> look =
        LLook::Create(MakeLook(FillPart(1, 1, 0xFF00FF00), Offsets(15, 0, 0, -5)), false);
    look->SetSize({50, 20});
    look->SetDescriptor(MakeLook(FillPart(1, 1, 0xFF00FF00), Offsets(15, 0, 0, -9)), false);
    look->SetSize({50, 20});
    EXPECT_EQ(look->GetClientRect(), (RectT<int32_t>{0, 0, 41, 20}));
}

TEST(VisualPartDrawing, FillsAreScaledByTheAlphaModifierAndPlacedByResizeType)
{
    struct Case
    {
        const char* name;
        RCPtr<LVisualPartDescriptor> part;
        SizeT<int32_t> drawn;
        std::vector<std::string> expected;
    } const cases[] = {
        {"alpha 0.5 of 0.8",
         FillPart(4, 4, 0xCCFF0000, ResizeType::Stretch, 0.5f),
         {30, 20},
         {"FillRect 0,0,30,20 #66FF0000 blend"}},
        {"alpha modifier 0 draws nothing",
         FillPart(4, 4, 0xFFFF0000, ResizeType::Stretch, 0.0f),
         {30, 20},
         {}},
        {"tile fills the whole target",
         FillPart(4, 4, 0xFF0000FF, ResizeType::Tile),
         {30, 20},
         {"FillRect 0,0,30,20 #FF0000FF blend"}},
        {"centre of 20 in 25",
         FillPart(20, 6, 0xFF0000FF, ResizeType::Center),
         {25, 10},
         {"FillRect 2,2,20,6 #FF0000FF blend"}},
    };
    const RCPtr<RecordingRenderer> renderer = RecordingRenderer::Create();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        c.part->GetVisualPart()->Draw(*renderer, c.drawn);
        EXPECT_EQ(renderer->Take(), c.expected);
    }
}

TEST(VisualPartDrawing, BitmapPartsDrawTheirBitmapWithTheirResizeType)
{
    const RCPtr<RecordingRenderer> renderer = RecordingRenderer::Create();
    const RCPtr<LVisualPart> part = LVisualPart::Create(u"p", MakeBitmap(3, 3, CoordinateColor),
                                                        ResizeType::Tile, nullptr, {}, 1.0f, nullptr);
    EXPECT_EQ(part->GetPartSize(), (SizeT<int32_t>{3, 3}));
    part->Draw(*renderer, {30, 20});
    EXPECT_EQ(renderer->Take(), std::vector<std::string>{"DrawBitmap 0,0,30,20 1"});
}

TEST(VisualPartColours, PointsAreMappedToPixelsByResizeType)
{
    const RCPtr<LBitmap> coordinates = MakeBitmap(8, 8, CoordinateColor);
    // The top-left pixel hidden, its right neighbour showing.
    const RCPtr<LBitmap> firstHidden =
        MakeBitmap(4, 4, [](int32_t x, int32_t y) { return x + y == 0 ? 0u : CoordinateColor(x, y); });
    struct Case
    {
        const char* name;
        RCPtr<LBitmap> bitmap;
        ResizeType resize;
        SizeT<double> drawn;
        PointT<double> point;
        uint32_t expected;
    } const cases[] = {
        {"own size", coordinates, ResizeType::Stretch, {8, 8}, {5, 6}, CoordinateColor(5, 6)},
        {"own size, rounded", coordinates, ResizeType::Stretch, {8, 8}, {4.5, 2.4}, CoordinateColor(5, 2)},
        {"tiled 8 x 8 in 40 x 40", coordinates, ResizeType::Tile, {40, 40}, {17, 3}, CoordinateColor(1, 3)},
        {"centred 8 in 20", coordinates, ResizeType::Center, {20, 20}, {8, 13}, CoordinateColor(2, 7)},
        {"centred, outside the part", coordinates, ResizeType::Center, {20, 20}, {1, 1}, kTransparentWhite},
        {"magnified twice", coordinates, ResizeType::Stretch, {16, 16}, {5, 3}, CoordinateColor(2, 1)},
        {"shrunk: first showing pixel of the block",
         firstHidden,
         ResizeType::Stretch,
         {2, 2},
         {0, 0},
         CoordinateColor(1, 0)},
        {"outside the drawn size", coordinates, ResizeType::Tile, {40, 40}, {40, 3}, kTransparentWhite},
        {"left of the drawn size", coordinates, ResizeType::Stretch, {16, 16}, {-1, 3}, kTransparentWhite},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const RCPtr<LVisualPart> part =
            LVisualPart::Create(u"p", c.bitmap, c.resize, nullptr, {}, 1.0f, nullptr);
        EXPECT_EQ(part->GetColorAtPoint(c.point, c.drawn), c.expected);
    }
}

// A gradient part is a picture of its part size made when the part is: it draws and
// answers colour queries as a bitmap part does.
TEST(VisualPartGradients, GradientPartsArePicturesOfTheirPartSize)
{
    ColorT start;
    LColorizer::Gradient ends;
    ends.mEndColor.FromARGB(0xFF0000FF);
    ends.mEndY = 1; // top to bottom
    const RCPtr<LColorizer> gradient =
        LColorizer::Create(u"g", ColorType::LinearGradient, start.FromARGB(0xFFFF0000), ends);
    const RCPtr<LVisualPart> part =
        LVisualPartDescriptor::CreateFilled(u"bar", gradient, 1, 4, ResizeType::Stretch, 1.0f, {})
            ->GetVisualPart();
    ASSERT_TRUE(part->GetBitmap());
    EXPECT_EQ(part->GetBitmap()->GetArea(), (RectT<int32_t>{0, 0, 1, 4}));

    const RCPtr<RecordingRenderer> renderer = RecordingRenderer::Create();
    part->Draw(*renderer, {30, 8});
    EXPECT_EQ(renderer->Take(), std::vector<std::string>{"DrawBitmap 0,0,30,8 0"});

    // Red at the top turning blue towards the bottom, whatever the column it is drawn at.
    const uint32_t top = part->GetColorAtPoint({20, 0}, {30, 8});
    const uint32_t bottom = part->GetColorAtPoint({20, 7}, {30, 8});
    EXPECT_EQ(top >> 24, 0xFFu);
    EXPECT_GT((top >> 16) & 0xFF, 0xC0u);
    EXPECT_LT(top & 0xFF, 0x40u);
    EXPECT_LT((bottom >> 16) & 0xFF, 0x40u);
    EXPECT_GT(bottom & 0xFF, 0xC0u);
}

// Parts that have nothing to draw with, or cannot be made, say so.
TEST(VisualPartGradients, UnusablePartsThrow)
{
    LColorizer::Gradient ends;
    ends.mEndColor.FromARGB(0xFF0000FF);
    ends.mEndX = 1;
    ColorT start;
    start.FromARGB(0xFFFF0000);
    const struct
    {
        const char* what;
        std::function<void()> run;
        const char* expected;
    } cases[] = {
        {"neither bitmap nor colorizer",
         [] {
             const RCPtr<RecordingRenderer> renderer = RecordingRenderer::Create();
             LVisualPart::Create(u"p", nullptr, ResizeType::Stretch, nullptr, {4, 4}, 1.0f, nullptr)
                 ->Draw(*renderer, {4, 4});
         },
         "Runtime Error : KV::LVisualPart::Draw : "},
        {"radial gradient",
         [&] {
             LVisualPart::Create(u"p", nullptr, ResizeType::Stretch,
                                 LColorizer::Create(u"r", ColorType::RadialGradient, start, ends), {4, 4},
                                 1.0f, nullptr);
         },
         "Domain Error : KV::LBitmap::CreateGradientFilledBitmap : "},
    };
    for (const auto& c : cases)
    {
        const std::string text = ThrownText(c.run);
        EXPECT_EQ(text.rfind(c.expected, 0), 0u) << c.what << ": " << text;
    }
}

TEST(VisualPartColours, FillsAnswerTheirColourAndEmptyTilesAnswerTransparent)
{
    const RCPtr<LVisualPart> fill = FillPart(10, 10, 0xCCFF0000, ResizeType::Stretch, 0.5f)->GetVisualPart();
    EXPECT_EQ(fill->GetColorAtPoint({3, 3}, {10, 10}), 0x66FF0000u);
    EXPECT_EQ(fill->GetColorAtPoint({30, 3}, {40, 10}), 0x66FF0000u);
    EXPECT_EQ(fill->GetPixel(10, 0), kTransparentWhite);

    const RCPtr<LVisualPart> emptyTile = FillPart(0, 0, 0xFFFF0000, ResizeType::Tile)->GetVisualPart();
    EXPECT_EQ(emptyTile->GetColorAtPoint({3, 3}, {10, 10}), kTransparentWhite);
}

TEST(LookColours, DockedPartsAnswerBeforeTheClientPart)
{
    const RCPtr<LLook> look = LLook::Create(MakeLook(FillPart(1, 1, 0xFF00FF00), Offsets(15, 10, 0, -10),
                                                     {{FillPart(10, 31, 0xFFFF0000), Offsets(kL | kT | kB)},
                                                      {FillPart(10, 31, 0x00000000), Offsets(kT | kR | kB)}}),
                                            false);
    look->SetSize({120, 31});
    EXPECT_EQ(look->GetColorAtPoint({3, 3}), 0xFFFF0000u);
    EXPECT_EQ(look->GetColorAtPoint({50, 3}), 0xFF00FF00u);
    // A transparent part lets the question through, and nothing lies under it.
    EXPECT_EQ(look->GetColorAtPoint({115, 3}), kTransparentWhite);

    look->SetOverridePart(MakeBitmap(100, 31, [](int32_t, int32_t) { return 0xFF0000FFu; }),
                          ResizeType::Stretch, false);
    EXPECT_EQ(look->GetColorAtPoint({50, 3}), 0xFF0000FFu);
}

class LookFrame : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mRenderer = RecordingRenderer::Create();
        mContext = RecordingContext::Create();
        mRenderer->RenderStart(mContext);
        mRenderer->mLogStack = true;
    }
    void TearDown() override { mRenderer->RenderFinish(mContext); }

    // The drawing and the clip pushes, without the state bookkeeping they cause.
    std::vector<std::string> Drawn()
    {
        std::vector<std::string> drawn;
        for (std::string& call : mRenderer->Take())
            if (call.rfind("SetClipRect", 0) != 0 && call.rfind("Translate", 0) != 0 &&
                call.rfind("SetStencil", 0) != 0)
                drawn.push_back(std::move(call));
        return drawn;
    }

    // Left cap red, right cap blue, client green between them.
    static RCPtr<LLook> CappedLook()
    {
        const RCPtr<LLook> look =
            LLook::Create(MakeLook(FillPart(1, 1, 0xFF00FF00), Offsets(15, 10, 0, -10),
                                   {{FillPart(10, 31, 0xFFFF0000), Offsets(kL | kT | kB)},
                                    {FillPart(10, 31, 0xFF0000FF), Offsets(kT | kR | kB)}}),
                          false);
        look->SetSize({120, 31});
        return look;
    }

    RCPtr<RecordingRenderer> mRenderer;
    RCPtr<RecordingContext> mContext;
};

TEST_F(LookFrame, EachPartIsDrawnInsideItsOwnClipAndOnlyWhereDirty)
{
    struct Case
    {
        const char* name;
        std::vector<RegionRect> dirty;
        std::vector<RegionRect> lookRegion;
        PointT<double> origin;
        std::vector<std::string> expected;
    } const cases[] = {
        {"all dirty",
         {{0, 0, 120, 31}},
         {},
         {},
         {"PushClip 0,0,10,31 0,0,10,31", "FillRect 0,0,10,31 #FFFF0000 blend", "PopState",
          "PushClip 110,0,10,31 110,0,10,31", "FillRect 0,0,10,31 #FF0000FF blend", "PopState",
          "PushClip 10,0,100,31 10,0,100,31", "FillRect 0,0,100,31 #FF00FF00 blend", "PopState"}},
        {"left half dirty",
         {{0, 0, 50, 31}},
         {},
         {},
         {"PushClip 0,0,10,31 0,0,10,31", "FillRect 0,0,10,31 #FFFF0000 blend", "PopState",
          "PushClip 10,0,100,31 10,0,40,31", "FillRect 0,0,100,31 #FF00FF00 blend", "PopState"}},
        {"the look's region limits it",
         {{0, 0, 120, 31}},
         {{0, 0, 5, 31}},
         {},
         {"PushClip 0,0,10,31 0,0,5,31", "FillRect 0,0,10,31 #FFFF0000 blend", "PopState"}},
        {"dirty rectangles are on the surface, parts where the look is",
         {{300, 200, 310, 231}},
         {},
         {290, 200},
         {"PushClip 10,0,100,31 10,0,10,31", "FillRect 0,0,100,31 #FF00FF00 blend", "PopState"}},
        {"nothing dirty", {}, {}, {}, {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const RCPtr<LLook> look = CappedLook();
        for (const RegionRect& r : c.lookRegion)
            look->GetRegion().AddRect(r);
        RectRegion dirty;
        for (const RegionRect& r : c.dirty)
            dirty.AddRect(r);
        mRenderer->PushState();
        mRenderer->Translate(c.origin);
        Drawn();
        look->Draw(*mRenderer, dirty);
        look->DrawClientArea(*mRenderer, dirty);
        EXPECT_EQ(Drawn(), c.expected);
        mRenderer->PopState();
    }
}

TEST_F(LookFrame, OverridePartDrawsOverOrInsteadOfTheClientPart)
{
    const RCPtr<LLook> look = CappedLook();
    RectRegion dirty;
    dirty.AddRect({10, 0, 110, 31});
    const RCPtr<LBitmap> picture = MakeBitmap(4, 4, CoordinateColor);

    EXPECT_FALSE(look->SetOverridePart(picture, ResizeType::Tile, false));
    look->DrawClientArea(*mRenderer, dirty);
    EXPECT_EQ(Drawn(), (std::vector<std::string>{"PushClip 10,0,100,31 10,0,100,31",
                                                 "FillRect 0,0,100,31 #FF00FF00 blend",
                                                 "DrawBitmap 0,0,100,31 1", "PopState"}));

    EXPECT_FALSE(look->SetOverridePart(picture, ResizeType::Center, true));
    look->DrawClientArea(*mRenderer, dirty);
    EXPECT_EQ(Drawn(), (std::vector<std::string>{"PushClip 10,0,100,31 10,0,100,31",
                                                 "DrawBitmap 0,0,100,31 2", "PopState"}));

    EXPECT_FALSE(look->SetOverridePart(nullptr, ResizeType::Stretch, false));
    EXPECT_TRUE(look->SetOverridePart(nullptr, ResizeType::Stretch, false));
}

// A look whose label box is the whole look less 4 pixels each side.
RCPtr<LLookDescriptor> LabelLook(const RCPtr<LVisualPartDescriptor>& foreground)
{
    RCPtr<LLookDescriptor> look = LLookDescriptor::Create(u"label");
    LLookDescriptor::TextProperties text;
    text.mLeftAbs = 4;
    text.mTopAbs = 4;
    text.mRightRel = 1;
    text.mRightAbs = -4;
    text.mBottomRel = 1;
    text.mBottomAbs = -4;
    text.mForegroundPart = foreground;
    look->SetTextProperties(text);
    return look;
}

TEST_F(LookFrame, LabelTakesItsColourFromTheForegroundPart)
{
    const RCPtr<MeasuringApp> app(new MeasuringApp());
    app->mMeasurer = FixedAdvanceMeasurer::Create();
    struct Case
    {
        const char* name;
        RCPtr<LVisualPart> foreground;
        std::vector<std::string> expected;
    } const cases[] = {
        {"solid fill",
         FillPart(2, 2, 0xFF102030)->GetVisualPart(),
         {"PushClip 0,0,60,20 0,0,60,20", "PushClip 4,4,52,12 4,4,52,12", "DrawText \"Go\" -10,-20 #FF102030",
          "PopState", "PopState"}},
        {"no foreground part: no text", nullptr, {"PushClip 0,0,60,20 0,0,60,20", "PopState"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const RCPtr<LLook> look = LLook::Create(LabelLook(nullptr), false);
        look->SetTextForegroundPart(c.foreground);
        look->SetFont(LFont::GetFont(u"Tahoma", 8, 0));
        look->SetText(u"Go");
        look->SetSize({60, 20});
        EXPECT_EQ(look->GetTextOrigin(), (PointT<int32_t>{4, 4}));
        RectRegion dirty;
        dirty.AddRect({0, 0, 60, 20});
        Drawn();
        EXPECT_EQ(look->DrawLabelText(*mRenderer, dirty, {10, 20}), 0);
        EXPECT_EQ(Drawn(), c.expected);
    }
}

// A label is one colour: a foreground part that is a picture or a gradient has none to
// give, and says so rather than drawing the text in some colour of its own choosing.
TEST_F(LookFrame, LabelRefusesAForegroundThatIsNotOneColour)
{
    const RCPtr<MeasuringApp> app(new MeasuringApp());
    app->mMeasurer = FixedAdvanceMeasurer::Create();
    ColorT start;
    LColorizer::Gradient ends;
    ends.mEndColor.FromARGB(0xFF445566);
    ends.mEndY = 1;
    const RCPtr<LColorizer> gradient =
        LColorizer::Create(u"g", ColorType::LinearGradient, start.FromARGB(0xFF112233), ends);
    struct Case
    {
        const char* name;
        RCPtr<LVisualPart> foreground;
        std::string expected;
    } const cases[] = {
        {"bitmap",
         LVisualPart::Create(u"b", MakeBitmap(2, 2, CoordinateColor), ResizeType::Stretch, nullptr, {}, 1,
                             nullptr),
         "Domain Error : Bitmap fill for text foreground part not yet implemented. : "
         "KV::LLook::DrawLabelText : "},
        {"gradient", LVisualPart::Create(u"g", nullptr, ResizeType::Stretch, gradient, {2, 2}, 1, nullptr),
         "Domain Error : Gradient fill for text foreground part not yet implemented. : "
         "KV::LLook::DrawLabelText : "},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const RCPtr<LLook> look = LLook::Create(LabelLook(nullptr), false);
        look->SetTextForegroundPart(c.foreground);
        look->SetText(u"Go");
        look->SetSize({60, 20});
        RectRegion dirty;
        dirty.AddRect({0, 0, 60, 20});
        const std::string text = ThrownText([&] { look->DrawLabelText(*mRenderer, dirty, {}); });
        EXPECT_EQ(text.rfind(c.expected, 0), 0u) << text;
        Drawn();
    }
}

TEST(LookLabel, ClippedWhenTheFirstLineIsWiderThanTheTextArea)
{
    const RCPtr<MeasuringApp> app(new MeasuringApp());
    app->mMeasurer = FixedAdvanceMeasurer::Create(); // 6 pixels a character
    const RCPtr<LLook> look = LLook::Create(LabelLook(nullptr), false);
    look->SetFont(LFont::GetFont(u"Tahoma", 8, 0));
    look->SetText(u"Hello"); // 30 pixels; the area is the width less 8
    look->SetSize({38, 20});
    EXPECT_FALSE(look->IsLabelTextClipped(38));
    look->SetSize({37, 20});
    EXPECT_TRUE(look->IsLabelTextClipped(37));
    EXPECT_FALSE(LLook::Create(MakeLook(nullptr, {}), false)->IsLabelTextClipped(1));
}

TEST(LookLabel, LookWithoutTextPropertiesHasNoLabel)
{
    const RCPtr<LLook> look = LLook::Create(LabelLook(nullptr), true);
    ASSERT_TRUE(look->GetLabel());
    EXPECT_TRUE(look->GetLabel()->GetWordWrap());
    look->SetDescriptor(MakeLook(nullptr, {}), true);
    EXPECT_FALSE(look->GetLabel());
    EXPECT_TRUE(look->SetText(u"x"));
    const RCPtr<RecordingRenderer> renderer = RecordingRenderer::Create();
    RectRegion dirty;
    EXPECT_EQ(look->DrawLabelText(*renderer, dirty, {}), 1);
}

class VisualPartFiles : public ::testing::Test
{
protected:
    // A 6 x 4 picture whose pixels tell where they lie.
    String WritePicture()
    {
        PngTestImage png{6, 4, PNG_COLOR_TYPE_RGB_ALPHA, 8, PngTestImage::Rows(4, std::vector<uint8_t>(24))};
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 6; ++x)
            {
                uint8_t* rgba = &png.rows[y][4 * x];
                rgba[0] = uint8_t(x);
                rgba[1] = uint8_t(y);
                rgba[2] = 0x40;
                rgba[3] = 0xFF;
            }
        const std::string path = mFolder / "parts.png";
        WriteBytesToFile(path, EncodePng(png));
        return String(path.c_str());
    }

    TemporaryFolder mFolder;
};

TEST_F(VisualPartFiles, PartsAreMadeOnceFromTheirImageArea)
{
    const RCPtr<LVisualPartDescriptor> descriptor = LVisualPartDescriptor::Create(
        u"p", {WritePicture(), 2, 1, 3, 2}, ResizeType::Stretch, nullptr, 1.0f, {});
    const RCPtr<LVisualPart> part = descriptor->GetVisualPart();
    ASSERT_TRUE(part);
    EXPECT_EQ(descriptor->GetVisualPart().Get(), part.Get());
    EXPECT_EQ(part->GetPartSize(), (SizeT<int32_t>{3, 2}));
    EXPECT_EQ(part->GetPixel(0, 0), 0xFF020140u);
}

TEST_F(VisualPartFiles, AreaBeyondThePictureIsCutToIt)
{
    const RCPtr<LVisualPartDescriptor> descriptor = LVisualPartDescriptor::Create(
        u"p", {WritePicture(), 4, 2, 50, 50}, ResizeType::Stretch, nullptr, 1.0f, {});
    const RCPtr<LVisualPart> part = descriptor->GetVisualPart();
    ASSERT_TRUE(part);
    EXPECT_EQ(part->GetPartSize(), (SizeT<int32_t>{2, 2}));
    EXPECT_EQ(part->GetPixel(1, 1), 0xFF050340u);
    const RCPtr<RecordingRenderer> renderer = RecordingRenderer::Create();
    part->Draw(*renderer, {10, 10});
    EXPECT_EQ(part->GetColorAtPoint({9, 9}, {10, 10}), 0xFF050340u);
}

TEST_F(VisualPartFiles, MissingImageFallsBackToTheFillOrToNothing)
{
    const LVisualPartDescriptor::ImageArea missing{String((mFolder / "absent.png").c_str()), 0, 0, 8, 8};
    const RCPtr<LVisualPartDescriptor> filled =
        LVisualPartDescriptor::Create(u"p", missing, ResizeType::Stretch, Solid(0xFF336699), 1.0f, {});
    filled->mWidth = filled->mHeight = 8;
    const RCPtr<LVisualPart> part = filled->GetVisualPart();
    ASSERT_TRUE(part);
    EXPECT_FALSE(part->GetBitmap());
    const RCPtr<RecordingRenderer> renderer = RecordingRenderer::Create();
    part->Draw(*renderer, {20, 10});
    EXPECT_EQ(renderer->Take(), std::vector<std::string>{"FillRect 0,0,20,10 #FF336699 blend"});

    const RCPtr<LVisualPartDescriptor> bare =
        LVisualPartDescriptor::Create(u"p", missing, ResizeType::Stretch, nullptr, 1.0f, {});
    EXPECT_FALSE(bare->GetVisualPart());
    // A look built on it has nothing to draw there, and draws the rest.
    const RCPtr<LLook> look = LLook::Create(MakeLook(bare, Offsets(15), {{bare, Offsets(kL)}}), false);
    look->SetSize({20, 10});
    RectRegion dirty;
    dirty.AddRect({0, 0, 20, 10});
    EXPECT_EQ(look->Draw(*renderer, dirty), 0);
    EXPECT_EQ(look->DrawClientArea(*renderer, dirty), 0);
    EXPECT_EQ(look->GetColorAtPoint({1, 1}), kTransparentWhite);
}

TEST(VisualPartLifetime, PartAndDescriptorFreeEachOtherWhicheverGoesLast)
{
    // Either order must leave nothing behind (the leak checker of the sanitizer build
    // sees a cycle that was not broken).
    {
        const RCPtr<LVisualPartDescriptor> descriptor = FillPart(2, 2, 0xFF000000);
        RCPtr<LVisualPart> part = descriptor->GetVisualPart();
        EXPECT_EQ(part->GetInternalRefCount(), 1);
        EXPECT_EQ(descriptor->GetInternalRefCount(), 1);
        part = nullptr;
        EXPECT_EQ(descriptor->GetInternalRefCount(), 0);
        EXPECT_EQ(descriptor->GetRefCount(), 1);
    }
    RCPtr<LVisualPart> survivor;
    {
        const RCPtr<LVisualPartDescriptor> descriptor = FillPart(2, 2, 0xFF000000);
        survivor = descriptor->GetVisualPart();
    }
    EXPECT_EQ(survivor->GetInternalRefCount(), 0);
    EXPECT_EQ(survivor->GetRefCount(), 1);
    {
        const RCPtr<LVisualPartDescriptor> descriptor = FillPart(2, 2, 0xFF000000);
        descriptor->GetVisualPart();
    }
}

} // namespace
