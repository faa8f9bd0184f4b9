#pragma once
// Holds the window system's video for the whole test program, so that the tests do not
// stop and start it between one another as the last window of each closes.

#include "Platform/Window/SdlVideo.h"

#include <gtest/gtest.h>

class SdlVideoEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { mStarted = KV::Platform::SdlVideo::Acquire(); }
    void TearDown() override
    {
        if (mStarted)
            KV::Platform::SdlVideo::Release();
    }

private:
    bool mStarted = false;
};
