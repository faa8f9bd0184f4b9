// Repaint of a window-sized scene through the GDI+ renderer, and the same primitives drawn
// by a bare Cairo program: a full repaint (the renderer makes fresh surfaces for it, as it
// does for every frame that repaints the whole window) and a repaint of the progress
// bar's 200 x 20 strip. Printed at the end: each pair's ratio, renderer over bare Cairo
// (of the means, with --benchmark_repetitions).
// Presenting to a window is left out on both sides.

#include "RepaintScene.h"

#include "Graphics/Bitmap.h"
#include "Renderer/AutoClip.h"
#include "Renderer/Gdi/GDIRenderer.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

using namespace KV;
using namespace KV::Bench;

namespace {

ColorT Color(uint32_t argb)
{
    ColorT color;
    return color.FromARGB(argb);
}

class RendererScene
{
public:
    RendererScene()
    {
        mRenderer->InitRenderContextInfo({0, 0, kWidth, kHeight}, nullptr, false, mContext);
        BitmapImage* image = mBackground->GetGdiplusBitmap();
        for (int32_t y = 0; y < kHeight; ++y)
            for (int32_t x = 0; x < kWidth; ++x)
                *reinterpret_cast<uint32_t*>(image->PixelAt(x, y)) = BackgroundPixel(x, y);
        image->PixelsChanged();
    }

    void DrawFull()
    {
        Begin({0, 0, kWidth, kHeight});
        mRenderer->DrawBitmap(mBackground, {0, 0, kWidth, kHeight}, ResizeType::Stretch);
        for (int32_t i = 0; i < kControls; ++i)
        {
            const ControlBox box = ControlAt(i);
            CAutoClip control = CAutoClip::CAutoClipPushClip(
                mRenderer, {double(box.x), double(box.y), double(box.width + 1), double(box.height + 1)},
                {0, 0, double(box.width + 1), double(box.height + 1)}, nullptr);
            mRenderer->FillRect({0, 0, box.width, box.height}, Color(kControlFill), true);
            mRenderer->DrawRect({0, 0, box.width, box.height}, Color(kControlFrame), 1.0f);
            mRenderer->DrawText(mLabel, mFont, {8, 10}, Color(kLabelColor));
        }
        DrawBar();
        End();
    }

    void DrawStrip()
    {
        const RectT<double> strip{kStripX, kStripY, kStripWidth, kStripHeight};
        Begin({kStripX, kStripY, kStripWidth, kStripHeight});
        {
            CAutoClip clip = CAutoClip::CAutoClipPushClip(mRenderer, {0, 0, kWidth, kHeight}, strip, nullptr);
            mRenderer->DrawBitmap(mBackground, {0, 0, kWidth, kHeight}, ResizeType::Stretch);
            DrawBar();
        }
        End();
    }

private:
    void Begin(const RectT<int32_t>& dirty)
    {
        mContext->GetDirtyRegion().Clear();
        mContext->GetDirtyRegion().AddRect({dirty.x, dirty.y, dirty.x + dirty.width, dirty.y + dirty.height});
        mRenderer->RenderStart(mContext);
        mRenderer->PushState();
    }
    void End()
    {
        mRenderer->PopState();
        mRenderer->RenderFinish(mContext);
    }
    void DrawBar()
    {
        mRenderer->FillRect({kStripX, kStripY, kStripWidth, kStripHeight}, Color(kBarBack), true);
        mRenderer->FillRect({kStripX + 2, kStripY + 2, kStripWidth * 6 / 10, kStripHeight - 4},
                            Color(kBarFront), true);
        mRenderer->DrawText(mLabel, mFont, {kStripX + 60, kStripY + 4}, Color(kLabelColor));
    }

    RCPtr<LGDIRenderer> mRenderer = LGDIRenderer::Create();
    RCPtr<LRenderContextInfo> mContext;
    RCPtr<LBitmap> mBackground = LBitmap::CreateFilledBitmap({kWidth, kHeight}, Color(0));
    RCPtr<LFont> mFont = LFont::GetFont(u"Tahoma", 8.0f, 0);
    String mLabel = u"Firmware 1.0.0.6";
};

void RendererFull(benchmark::State& state)
{
    RendererScene scene;
    for (auto _ : state)
        scene.DrawFull();
}
BENCHMARK(RendererFull)->Unit(benchmark::kMicrosecond);

void BareCairoFull(benchmark::State& state)
{
    BareCairoScene scene;
    for (auto _ : state)
        scene.DrawFull();
}
BENCHMARK(BareCairoFull)->Unit(benchmark::kMicrosecond);

void RendererStrip(benchmark::State& state)
{
    RendererScene scene;
    scene.DrawFull();
    for (auto _ : state)
        scene.DrawStrip();
}
BENCHMARK(RendererStrip)->Unit(benchmark::kMicrosecond);

void BareCairoStrip(benchmark::State& state)
{
    BareCairoScene scene;
    scene.DrawFull();
    for (auto _ : state)
        scene.DrawStrip();
}
BENCHMARK(BareCairoStrip)->Unit(benchmark::kMicrosecond);

// Prints as usual and keeps each benchmark's time per frame for the ratios.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        // One run per benchmark, or the mean of its repetitions.
        for (const Run& run : runs)
            if ((run.run_type == Run::RT_Iteration && run.repetitions <= 1 && run.iterations > 0) ||
                (run.run_type == Run::RT_Aggregate && run.aggregate_name == "mean"))
                mMicroseconds[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
    void PrintRatios() const
    {
        for (const char* pair : {"Full", "Strip"})
        {
            const auto renderer = mMicroseconds.find(std::string("Renderer") + pair);
            const auto bare = mMicroseconds.find(std::string("BareCairo") + pair);
            if (renderer == mMicroseconds.end() || bare == mMicroseconds.end() || bare->second <= 0)
                continue;
            std::printf("%-5s repaint: renderer %.1f us, bare Cairo %.1f us, ratio %.2f\n", pair,
                        renderer->second, bare->second, renderer->second / bare->second);
        }
    }

private:
    std::map<std::string, double> mMicroseconds;
};

} // namespace

int main(int argc, char** argv)
{
    // Text as in the tests: only the project's fonts, unless the caller chose others.
    setenv("FONTCONFIG_FILE", KV_FONTCONFIG_FILE, 0);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
