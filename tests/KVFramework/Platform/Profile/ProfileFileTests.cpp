#include "Platform/Profile/ProfileFile.h"

#include "TemporaryFolder.h"

#include <gtest/gtest.h>

using KV::Platform::ProfileFile;

namespace {

TEST(ProfileFile, ValuesAreHexadecimalTextBesideTheOthers)
{
    TemporaryFolder folder;
    const std::string path = folder / "Updater.ini";
    TemporaryFolder::WriteFile(path, "[Other]\nkey=kept\n");
    ProfileFile profile(path);
    const std::vector<uint8_t> value = {0x2C, 0x00, 0xFF, 0x10};
    ASSERT_TRUE(profile.WriteBinary("Orrin_Updater", "WP", value));
    EXPECT_EQ(TemporaryFolder::ReadFile(path), "[Other]\nkey=kept\n\n[Orrin_Updater]\nWP=2C00FF10\n");

    std::vector<uint8_t> read;
    ASSERT_TRUE(profile.ReadBinary("Orrin_Updater", "WP", read));
    EXPECT_EQ(read, value);
    EXPECT_FALSE(profile.ReadBinary("Orrin_Updater", "Other", read));
    EXPECT_FALSE(profile.ReadBinary("Missing", "WP", read));
    EXPECT_FALSE(profile.WriteBinary("", "WP", value)); // names the file form cannot keep
    EXPECT_FALSE(profile.WriteBinary("Section", "a=b", value));
}

TEST(ProfileFile, WhatIsNotAProfileValueIsNotRead)
{
    TemporaryFolder folder;
    const std::string path = folder / "Updater.ini";
    ProfileFile profile(path);
    std::vector<uint8_t> read = {1};
    for (const char* text :
         {"[S]\nWP=2C0\n", "[S]\nWP=2G00\n", "[S]\nWP=\"2C 00\"\n", "not a settings file\n"})
    {
        TemporaryFolder::WriteFile(path, text);
        EXPECT_FALSE(profile.ReadBinary("S", "WP", read)) << text;
        EXPECT_EQ(read, std::vector<uint8_t>{1}) << text;
    }
    // A file that is not a profile is replaced by one.
    ASSERT_TRUE(profile.WriteBinary("S", "WP", std::vector<uint8_t>{7}));
    ASSERT_TRUE(profile.ReadBinary("S", "WP", read));
    EXPECT_EQ(read, std::vector<uint8_t>{7});

    // No path, or no folder for the file: nothing is read or written anywhere.
    for (const std::string& unusable : {std::string(), folder / "missing/Updater.ini"})
    {
        ProfileFile nowhere(unusable);
        EXPECT_FALSE(nowhere.WriteBinary("S", "WP", read));
        EXPECT_FALSE(nowhere.ReadBinary("S", "WP", read));
    }
}

} // namespace
