#include "Application.h"
#include "Application/CursorNames.h"
#include "ControlFactoryTestSupport.h"
#include "ScopedVariable.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

using namespace KV;

namespace {

RCPtr<LControlFactory> ThreeSkins()
{
    RCPtr<LControlFactory> factory = LControlFactory::Create(String(u"App"));
    EXPECT_EQ(factory->ParseXML(factorytest::Bytes(factorytest::SkinDocument(
                  "<Skins><Skin Name=\"a\"/><Skin Name=\"b\"/><Skin Name=\"c\"/></Skins>"))),
              S_OK);
    return factory;
}

} // namespace

TEST(UpdaterApplication, NamesItsRootControlSettingsAndCursors)
{
    RCPtr<LApplication> app = LApplication::Create(nullptr, nullptr, String());
    EXPECT_EQ(app->GetRootControlName(), u"mainControl");
    EXPECT_EQ(app->GetVersionFolderName(), u"1_0_0");
    EXPECT_EQ(app->GetRendererType(), kRendererTypeGDI);
    EXPECT_EQ(app->GetSettingsFile(5), 0);
    EXPECT_TRUE(app->CanExit()); // nothing runs before the start-up

    // The updater's own cursor names are told by the name objects, not their texts.
    const LCursorNames& names = CursorNames();
    const String copied = names.splitV;
    EXPECT_EQ(app->LoadCursorByName(copied), 0u);
    EXPECT_EQ(app->LoadCursorByName(names.dropCopy), 0u);
}

TEST(UpdaterApplication, ItsIconIsTheLargestPictureOfItsIconResource)
{
    RCPtr<LApplication> app = LApplication::Create(nullptr, nullptr, String());
    const RCPtr<LBitmap> icon = app->GetAppIcon();
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->GetArea(), (RectT<int32_t>{0, 0, 64, 64}));
    // The arrow's head in the accent colour, on a tile with rounded corners.
    EXPECT_EQ(icon->GetPixelColor(32, 12).ToARGB(), 0xFF54CEBEu);
    EXPECT_EQ(icon->GetPixelColor(0, 0).ToARGB() >> 24, 0u);
}

TEST(UpdaterApplication, KeepsTheSkinIndexInTheUserSettings)
{
    TemporaryFolder root;
    ScopedVariable config("XDG_CONFIG_HOME", root / "config");
    ScopedVariable data("XDG_DATA_HOME", root / "data");
    {
        RCPtr<LApplication> app = LApplication::Create(ThreeSkins(), nullptr, String());
        EXPECT_EQ(app->GetCurrentSkinIndex(), 0); // no file yet
        EXPECT_NE(app->GetSettingsFile(1), 0);
        EXPECT_EQ(app->SetSkin(2), S_OK);
        EXPECT_EQ(app->SetSkin(3), E_INVALIDARG);
        EXPECT_EQ(app->GetControlFactory()->GetCurrentSkinIndex(), 2);
        EXPECT_TRUE(app->GetCurrentDefaultFont());
    }
    RCPtr<LApplication> app = LApplication::Create(ThreeSkins(), nullptr, String());
    EXPECT_EQ(app->GetCurrentSkinIndex(), 2);
    // A saved index past the skins selects the last one.
    app->GetIniFileManager()->SetIniValueInt(app->GetSettingsFile(1), u"CurrentSkinIndex", 7);
    EXPECT_EQ(app->LApplicationBase::RunApplicationStartup(), S_OK);
    EXPECT_EQ(app->GetControlFactory()->GetCurrentSkinIndex(), 2);
}
