#include "Application/WindowPlacement.h"

#include "ScopedVariable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <stdlib.h>

using namespace KV;
namespace fs = std::filesystem;

namespace {

class WindowPlacementProfile : public ::testing::Test
{
protected:
    static fs::path MakeRoot()
    {
        std::string pattern = (fs::temp_directory_path() / "kv-profile-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary folder");
        return pattern;
    }
    ~WindowPlacementProfile() override
    {
        std::error_code ignored;
        fs::remove_all(mRoot, ignored);
    }

    const fs::path mRoot = MakeRoot();
    ScopedVariable mConfig{"XDG_CONFIG_HOME", (mRoot / "config").string()};
    const String mSection = u"Orrin_Keys_FirmwareUpdater";
};

WindowPlacement Sample()
{
    WindowPlacement placement;
    placement.flags = 2;
    placement.showCommand = 3;
    placement.minimizedX = -32000;
    placement.left = -8;
    placement.top = 20;
    placement.right = 412;
    placement.bottom = 330;
    return placement;
}

TEST_F(WindowPlacementProfile, RoundTripThroughTheCompanysProfile)
{
    LProfile profile(u"Orrin: Keys", u"Norvik ZR Firmware Updater");
    EXPECT_EQ(profile.GetPath(), (mRoot / "config/Orrin_ Keys/Norvik ZR Firmware Updater.ini").string());
    EXPECT_FALSE(ReadWindowPlacement(profile, mSection)); // nothing stored yet

    ASSERT_TRUE(WriteWindowPlacement(profile, mSection, Sample()));
    EXPECT_EQ(ReadWindowPlacement(profile, mSection), Sample());
    // Another run reads it back from the file.
    EXPECT_EQ(ReadWindowPlacement(LProfile(u"Orrin: Keys", u"Norvik ZR Firmware Updater"), mSection),
              Sample());
    EXPECT_FALSE(ReadWindowPlacement(profile, u"Another_Application"));

    const std::array<uint8_t, WindowPlacement::kSize> bytes = Sample().ToBytes();
    EXPECT_EQ(bytes[0], 44); // its own length first, least significant byte first
    EXPECT_EQ(bytes[12], 0x00);
    EXPECT_EQ(bytes[13], 0x83); // -32000
    EXPECT_EQ(bytes[15], 0xFF);
}

TEST_F(WindowPlacementProfile, OnlyASaneRecordOfTheRightSizeIsApplied)
{
    struct Case
    {
        const char* what;
        void (*change)(WindowPlacement&);
    };
    const Case cases[] = {
        {"another length", [](WindowPlacement& p) { p.length = 40; }},
        {"an unknown flag", [](WindowPlacement& p) { p.flags = 8; }},
        {"an unknown show command", [](WindowPlacement& p) { p.showCommand = 12; }},
        {"an empty width", [](WindowPlacement& p) { p.right = p.left; }},
        {"a negative height", [](WindowPlacement& p) { p.bottom = p.top - 1; }},
        {"a coordinate off every screen", [](WindowPlacement& p) { p.right = 40000; }},
        {"a huge negative coordinate", [](WindowPlacement& p) { p.maximizedY = -2147483647 - 1; }},
    };
    LProfile profile(u"Orrin", u"Updater");
    for (const Case& c : cases)
    {
        WindowPlacement placement = Sample();
        c.change(placement);
        EXPECT_FALSE(placement.IsSane()) << c.what;
        ASSERT_TRUE(WriteWindowPlacement(profile, mSection, placement));
        EXPECT_FALSE(ReadWindowPlacement(profile, mSection)) << c.what;
    }

    const std::array<uint8_t, WindowPlacement::kSize> bytes = Sample().ToBytes();
    std::vector<uint8_t> longer(bytes.begin(), bytes.end());
    longer.push_back(0);
    for (const std::vector<uint8_t>& record :
         {std::vector<uint8_t>(bytes.begin(), bytes.end() - 1), longer, std::vector<uint8_t>()})
    {
        ASSERT_TRUE(profile.WriteProfileBinary(mSection, kWindowPlacementEntry, record));
        EXPECT_FALSE(ReadWindowPlacement(profile, mSection)) << record.size();
    }

    // A profile file that is not one at all.
    std::ofstream(profile.GetPath()) << "\x01\x02 garbage";
    EXPECT_FALSE(ReadWindowPlacement(profile, mSection));
}

} // namespace
