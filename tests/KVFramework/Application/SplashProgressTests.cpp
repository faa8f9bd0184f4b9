#include "Application/SplashProgress.h"
#include "Application/SplashWindow.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include <stdlib.h>

using namespace KV;

TEST(SplashProgress, AnimationsStepEveryQuarterSecondToTheirEnd)
{
    struct Row
    {
        const char* what;
        int start, end, seconds;
        int stepSize;
        std::vector<int> positions; // after the start, then after each step
    };
    const Row rows[] = {
        // 32 steps of 3: the bar ends at 96, the integer steps do not reach 100.
        {"the start-up animation", 0, 100, 8, 3, {0, 3, 6}},
        {"backwards", 100, 0, 1, -25, {100, 75, 50, 25, 0}},
        {"no time jumps to the end", 10, 70, 0, 10, {70}},
        {"a start outside the range", -20, 40, 1, 15, {0, 15, 30, 45, 60}},
    };
    for (const Row& row : rows)
    {
        SplashProgress progress;
        progress.Animate(row.start, row.end, row.seconds);
        EXPECT_EQ(row.stepSize, progress.GetStepSize()) << row.what;
        std::vector<int> positions{progress.GetPosition()};
        while (positions.size() < row.positions.size() && progress.IsAnimating())
        {
            progress.Step();
            positions.push_back(progress.GetPosition());
        }
        EXPECT_EQ(row.positions, positions) << row.what;
    }

    SplashProgress startUp;
    startUp.Animate(0, 100, 8);
    int steps = 0;
    while (startUp.IsAnimating())
    {
        startUp.Step();
        ++steps;
    }
    EXPECT_EQ(32, steps);
    EXPECT_EQ(96, startUp.GetPosition());
    EXPECT_FALSE(startUp.Step());
    EXPECT_EQ(96, startUp.GetPosition());
}

TEST(SplashProgress, PositionsStayInTheRangeAndStopAnAnimation)
{
    SplashProgress progress;
    progress.Animate(0, 100, 2);
    progress.SetPosition(140);
    EXPECT_EQ(100, progress.GetPosition());
    EXPECT_FALSE(progress.IsAnimating());
    progress.SetPosition(-3);
    EXPECT_EQ(0, progress.GetPosition());
}

TEST(SplashImagePath, OnlyAFolderWithTheImageHasASplashScreen)
{
    EXPECT_TRUE(GetSplashImagePath(String(u"::")).IsEmpty());
    std::string pattern = (std::filesystem::temp_directory_path() / "kv-splash-XXXXXX").string();
    ASSERT_NE(nullptr, ::mkdtemp(pattern.data()));
    String folder;
    folder.AssignNarrowText(pattern.c_str());
    EXPECT_TRUE(GetSplashImagePath(folder).IsEmpty());
    std::ofstream(pattern + "/Splash.png") << "png";
    EXPECT_EQ(std::string(pattern + "/Splash.png"), GetSplashImagePath(folder).ToNarrow().GetText());
    std::filesystem::remove_all(pattern);
}
