// The OpenGL renderer where no OpenGL context can be made: the user is told, and the
// renderer is not made.

#include "Application/FrameworkApp.h"
#include "Renderer/Renderer.h"
#include "ScopedVariable.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace KV;

namespace {

class RecordedBoxes : public IMessageBoxSink
{
public:
    int32_t ShowMessageBox(const String& text, const String& caption, uint32_t flags) override
    {
        texts.push_back(std::string(caption.ToNarrow().View()) + " | " + std::string(text.ToNarrow().View()));
        this->flags = flags;
        return kMessageBoxAnswerOk;
    }
    std::vector<std::string> texts;
    uint32_t flags = 0;
};

} // namespace

TEST(GLRendererSetup, WithoutADisplayTheUserIsToldAndNoRendererIsMade)
{
    const ScopedVariable display("DISPLAY", std::string(":65000"));
    const ScopedVariable driver("SDL_VIDEODRIVER", std::nullopt);
    RCPtr<LFrameworkApp> app(new LFrameworkApp());
    RecordedBoxes boxes;
    app->SetMessageBoxSink(&boxes);
    try
    {
        LRenderer::Create(kRendererTypeOpenGL, {0, 0, 100, 100}, nullptr);
        ADD_FAILURE() << "a renderer was made without a display";
    }
    catch (const std::runtime_error& e)
    {
        EXPECT_NE(std::string::npos, std::string(e.what()).find("KV::LGLRenderer::LGLRenderer")) << e.what();
    }
    ASSERT_EQ(1u, boxes.texts.size());
    EXPECT_EQ(0u,
              boxes.texts[0].rfind("OpenGL Error | The OpenGL context could not be made. Updating your video "
                                   "card driver",
                                   0))
        << boxes.texts[0];
    EXPECT_EQ(kMessageBoxIconWarning, boxes.flags);
}
