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
    struct Case
    {
        bool withTable;
        const char* expected;
    };
    const Case cases[] = {
        // The built-in English texts.
        {false, "OpenGL Error | The OpenGL context could not be made. Updating your video card driver"},
        // The framework string table's.
        {true, "GL-Fehler | Kein Kontext. Treiber erneuern."},
    };
    for (const Case& c : cases)
    {
        RCPtr<LStringTable> table = LStringTable::Create();
        table->SetString(String(u"GL_ERROR_CAPTION"), String(u"GL-Fehler"));
        table->SetString(String(u"GL_ERROR_MESSAGE_CREATE_CONTEXT"), String(u"Kein Kontext."));
        table->SetString(String(u"GL_ERROR_UPDATE_DRIVER"), String(u"Treiber erneuern."));
        RCPtr<LFrameworkApp> app(new LFrameworkApp(nullptr, c.withTable ? table : nullptr));
        RecordedBoxes boxes;
        app->SetMessageBoxSink(&boxes);
        try
        {
            LRenderer::Create(kRendererTypeOpenGL, {0, 0, 100, 100}, nullptr);
            ADD_FAILURE() << "a renderer was made without a display";
        }
        catch (const std::runtime_error& e)
        {
            EXPECT_NE(std::string::npos, std::string(e.what()).find("KV::LGLRenderer::LGLRenderer"))
                << e.what();
        }
        ASSERT_EQ(1u, boxes.texts.size());
        EXPECT_EQ(0u, boxes.texts[0].rfind(c.expected, 0)) << boxes.texts[0];
        EXPECT_EQ(kMessageBoxIconWarning, boxes.flags);
    }
}
