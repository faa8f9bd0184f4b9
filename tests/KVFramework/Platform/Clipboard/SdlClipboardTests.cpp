#include "Platform/Clipboard/SdlClipboard.h"
#include "System/Clipboard.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

using namespace KV;

namespace {

// SDL's clipboard lives in its video subsystem, which the window layer starts once in
// the product; here the test program starts it once on the private X server.
class SdlVideo : public ::testing::Environment
{
public:
    void SetUp() override
    {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11"); // no quiet fall-back to another driver
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    }
    void TearDown() override { SDL_QuitSubSystem(SDL_INIT_VIDEO); }
};

const auto* const gSdlVideo = ::testing::AddGlobalTestEnvironment(new SdlVideo());

class SdlClipboard : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_STREQ(SDL_GetCurrentVideoDriver(), "x11");
        mClipboard = LClipboard::Create(Platform::CreateSdlClipboardBackend());
    }

    static std::string SystemText()
    {
        char* text = SDL_GetClipboardText();
        std::string result = text ? text : "";
        SDL_free(text);
        return result;
    }

    static std::string TextOf(const RCPtr<LRefCountedObject>& object)
    {
        const auto* text = dynamic_cast<const LClipboard::TextObject*>(object.Get());
        return text ? text->ToNarrow().GetText() : "<no text object>";
    }

    RCPtr<LClipboard> mClipboard;
};

class Opaque : public LRefCountedObject
{
};

} // namespace

TEST_F(SdlClipboard, NonAsciiTextRoundTripsAndOutsideChangesAreSeen)
{
    const String text(u"Grüße – 日本語 😀");
    RCPtr<LRefCountedObject> copied = LClipboard::TextObject::Create(text);
    ASSERT_EQ(mClipboard->SetContents(copied), S_OK);
    EXPECT_EQ(SystemText(), "Grüße – 日本語 😀");
    EXPECT_EQ(mClipboard->GetContents(), copied); // unchanged: the cached object itself

    // Someone else puts text there (here through SDL directly, not through the service).
    ASSERT_EQ(SDL_SetClipboardText("Ärger ½"), 0);
    const RCPtr<LRefCountedObject> outside = mClipboard->GetContents();
    EXPECT_NE(outside, copied);
    EXPECT_EQ(TextOf(outside), "Ärger ½");
    EXPECT_EQ(mClipboard->GetContents(), outside);

    // A lone surrogate leaves as U+FFFD.
    ASSERT_EQ(mClipboard->SetContents(LClipboard::TextObject::Create(String(u"a\xD800z"))), S_OK);
    EXPECT_EQ(SystemText(), "a\xEF\xBF\xBDz");
}

TEST_F(SdlClipboard, NonTextObjectsStayInTheProcess)
{
    RCPtr<LRefCountedObject> object(new Opaque());
    ASSERT_EQ(mClipboard->SetContents(object), S_OK);
    EXPECT_FALSE(SDL_HasClipboardText()); // other programs see no text
    EXPECT_EQ(mClipboard->GetContents(), object);

    ASSERT_EQ(SDL_SetClipboardText("later"), 0);
    EXPECT_EQ(TextOf(mClipboard->GetContents()), "later");
}
