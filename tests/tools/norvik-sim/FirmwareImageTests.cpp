#include "FirmwareImage.h"

#include <gtest/gtest.h>

namespace NorvikSim {
namespace {

TEST(FirmwareImageText, ParsesEitherCaseAndFormatsUpperCase)
{
    Bytes image;
    std::string error;
    ASSERT_TRUE(ParseImageText("0003aaBBcc", image, error)) << error;
    EXPECT_EQ(image, (Bytes{0x00, 0x03, 0xAA, 0xBB, 0xCC}));
    EXPECT_EQ(FormatImageText(image), "0003AABBCC");
    ASSERT_TRUE(ParseImageText("", image, error));
    EXPECT_TRUE(image.empty());
}

TEST(FirmwareImageText, RefusesWhatIsNotDigitPairs)
{
    const struct
    {
        std::string_view text;
        const char* error;
    } cases[] = {
        {"000", "odd number of characters (3)"},
        {"0003AABBCC\n", "odd number of characters (11)"},
        {"0003AA BBC", "character 20 at offset 6"},
        {"00G3", "character 47 at offset 2"},
    };
    for (const auto& c : cases)
    {
        Bytes image{1};
        std::string error;
        EXPECT_FALSE(ParseImageText(c.text, image, error)) << c.text;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_TRUE(image.empty());
    }
}

TEST(FirmwareImageRecords, SplitsWholeRecordsAndRefusesCutOnes)
{
    std::vector<RecordSpan> records;
    std::string error;
    const Bytes image = {0x00, 0x00, 0x00, 0x02, 0xAA, 0xBB, 0x01, 0x00};
    Bytes whole(image.begin(), image.begin() + 6);
    ASSERT_TRUE(SplitRecords(whole, records, error)) << error;
    EXPECT_EQ(records, (std::vector<RecordSpan>{{0, 2}, {2, 4}}));

    EXPECT_FALSE(SplitRecords(image, records, error));
    EXPECT_NE(error.find("record 3 at offset 6 declares 256 data bytes but only 0 remain"), std::string::npos)
        << error;
    Bytes lone(image.begin(), image.begin() + 7);
    EXPECT_FALSE(SplitRecords(lone, records, error));
    EXPECT_NE(error.find("one byte left at offset 6"), std::string::npos) << error;
}

TEST(FirmwareVersionText, ParsesFourDataBytes)
{
    const struct
    {
        std::string_view text;
        std::optional<std::array<std::uint8_t, 4>> parts;
    } cases[] = {
        {"1.0.0.5", std::array<std::uint8_t, 4>{1, 0, 0, 5}},
        {"1.0.10.127", std::array<std::uint8_t, 4>{1, 0, 10, 127}},
        {"1.0.0.128", std::nullopt},
        {"1.0.0", std::nullopt},
        {"1.0.0.5.", std::nullopt},
        {"1..0.5", std::nullopt},
        {"1.0.0.-5", std::nullopt},
    };
    for (const auto& c : cases)
    {
        const auto version = FirmwareVersion::Parse(c.text);
        ASSERT_EQ(version.has_value(), c.parts.has_value()) << c.text;
        if (version)
        {
            EXPECT_EQ(version->parts, *c.parts);
            EXPECT_EQ(version->Text(), c.text);
        }
    }
}

} // namespace
} // namespace NorvikSim
