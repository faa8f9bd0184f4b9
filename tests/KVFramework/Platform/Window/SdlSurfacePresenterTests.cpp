#include "Platform/Window/SdlSurfacePresenter.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

using namespace KV;

class SdlSurfacePresenterTest : public ::testing::Test
{
protected:
    static constexpr int kWidth = 40;
    static constexpr int kHeight = 30;

    void SetUp() override
    {
        if (SDL_Init(SDL_INIT_VIDEO) != 0)
            GTEST_SKIP() << "no SDL video driver: " << SDL_GetError();
        mWindow = SDL_CreateWindow("presenter", 0, 0, kWidth, kHeight, SDL_WINDOW_HIDDEN);
        ASSERT_NE(nullptr, mWindow) << SDL_GetError();
        mSurface = SDL_GetWindowSurface(mWindow);
        ASSERT_NE(nullptr, mSurface) << SDL_GetError();
        SDL_FillRect(mSurface, nullptr, 0);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                mPicture[static_cast<size_t>(y * kWidth + x)] =
                    0xFF000000u | static_cast<uint32_t>(x << 8 | y);
    }
    void TearDown() override
    {
        if (mWindow)
            SDL_DestroyWindow(mWindow);
        SDL_Quit();
    }

    uint32_t WindowPixel(int x, int y) const
    {
        const auto* row = static_cast<const uint8_t*>(mSurface->pixels) + y * mSurface->pitch;
        uint8_t r = 0, g = 0, b = 0, a = 0;
        SDL_GetRGBA(reinterpret_cast<const uint32_t*>(row)[x], mSurface->format, &r, &g, &b, &a);
        return 0xFF000000u | static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | b;
    }

    SDL_Window* mWindow = nullptr;
    SDL_Surface* mSurface = nullptr;
    std::vector<uint32_t> mPicture = std::vector<uint32_t>(kWidth * kHeight);
};

TEST_F(SdlSurfacePresenterTest, CopiesOnlyTheAreasCutToPictureAndWindow)
{
    Platform::SdlSurfacePresenter presenter(mWindow);
    const Platform::SurfacePixels picture{reinterpret_cast<const uint8_t*>(mPicture.data()), kWidth * 4,
                                          kWidth, kHeight};
    const std::vector<RectT<int32_t>> areas{{2, 3, 5, 4}, {35, 25, 10, 10}, {-5, -5, 3, 3}};
    presenter.Present(picture, areas);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
        {
            const bool copied = (x >= 2 && x < 7 && y >= 3 && y < 7) || (x >= 35 && y >= 25);
            ASSERT_EQ(copied ? mPicture[static_cast<size_t>(y * kWidth + x)] : 0xFF000000u, WindowPixel(x, y))
                << x << "," << y;
        }
}
