#include "Application/FrameworkApp.h"
#include "FakeWindowOSServices.h"
#include "Platform/Clipboard/FakeClipboardBackend.h"
#include "System/Clipboard.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace KV;
using Platform::FakeClipboardBackend;

namespace {

class Opaque : public LRefCountedObject
{
};

std::string TextOf(const RCPtr<LRefCountedObject>& object)
{
    const auto* text = dynamic_cast<const LClipboard::TextObject*>(object.Get());
    return text ? text->ToNarrow().GetText() : "<no text object>";
}

RCPtr<LRefCountedObject> Text(const char16_t* text)
{
    return LClipboard::TextObject::Create(String(text));
}

class ClipboardContents : public ::testing::Test
{
protected:
    std::shared_ptr<FakeClipboardBackend> mSystem = std::make_shared<FakeClipboardBackend>();
    RCPtr<LClipboard> mClipboard = LClipboard::Create(mSystem);
};

} // namespace

TEST_F(ClipboardContents, OwnTextIsTheCachedObjectUntilAnotherProgramCopies)
{
    const RCPtr<LRefCountedObject> copied = Text(u"Grüße");
    ASSERT_EQ(mClipboard->SetContents(copied), S_OK);
    EXPECT_EQ(mSystem->GetSystemText(), "Grüße");
    const int opened = mSystem->GetOpenCount();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(mClipboard->GetContents(), copied);
    EXPECT_EQ(mSystem->GetOpenCount(), opened); // answered without opening the clipboard

    mSystem->SetOutsideText("Ärger ½");
    const RCPtr<LRefCountedObject> outside = mClipboard->GetContents();
    EXPECT_NE(outside, copied);
    EXPECT_EQ(TextOf(outside), "Ärger ½");
    EXPECT_EQ(mClipboard->GetContents(), outside);

    mSystem->ClearOutside(); // no text format at all
    EXPECT_FALSE(mClipboard->GetContents());
}

TEST_F(ClipboardContents, NonTextObjectsPlaceOnlyTheMarker)
{
    const RCPtr<LRefCountedObject> object(new Opaque());
    ASSERT_EQ(mClipboard->SetContents(Text(u"before")), S_OK);
    ASSERT_EQ(mClipboard->SetContents(object), S_OK);
    EXPECT_FALSE(mSystem->GetSystemText().has_value());
    EXPECT_TRUE(mSystem->IsMarkerPlaced());
    EXPECT_EQ(mClipboard->GetContents(), object);

    mSystem->SetOutsideText("theirs");
    EXPECT_EQ(TextOf(mClipboard->GetContents()), "theirs");
}

TEST_F(ClipboardContents, TextLeavesAsWellFormedUtf8)
{
    const struct
    {
        const char16_t* text;
        const char* utf8;
    } cases[] = {
        {u"", ""},
        {u"Grüße – 日本", "Grüße – 日本"},
        {u"😀", "\xF0\x9F\x98\x80"},
        {u"a\xD800z", "a\xEF\xBF\xBDz"},                 // lone high surrogate
        {u"\xDC00", "\xEF\xBF\xBD"},                     // lone low surrogate
        {u"x\xD83D", "x\xEF\xBF\xBD"},                   // high surrogate at the end
        {u"\xDE00\xD83D!", "\xEF\xBF\xBD\xEF\xBF\xBD!"}, // a pair in the wrong order
    };
    for (const auto& c : cases)
    {
        ASSERT_EQ(mClipboard->SetContents(Text(c.text)), S_OK);
        EXPECT_EQ(mSystem->GetSystemText(), c.utf8);
    }
}

TEST_F(ClipboardContents, LosingTheClipboardWhileSettingItIsNotNested)
{
    // Taking the clipboard over tells its previous owner, this very process, that it lost
    // it; that report arrives while SetContents runs and must not undo it.
    KVRESULT nested = E_FAIL;
    mSystem->mOnEmpty = [&] { nested = mClipboard->SetContents(nullptr); };
    const RCPtr<LRefCountedObject> copied = Text(u"mine");
    ASSERT_EQ(mClipboard->SetContents(copied), S_OK);
    EXPECT_EQ(nested, S_FALSE);
    EXPECT_EQ(mClipboard->GetContents(), copied);

    // Later another program takes it: the report drops the cache, and the other
    // program's text is read.
    mSystem->mOnEmpty = nullptr;
    mSystem->SetOutsideText("theirs");
    EXPECT_EQ(mClipboard->SetContents(nullptr), S_OK);
    EXPECT_EQ(TextOf(mClipboard->GetContents()), "theirs");
}

TEST_F(ClipboardContents, FailuresOfTheSystemClipboard)
{
    const RCPtr<LRefCountedObject> object(new Opaque());

    mSystem->mFailOpen = true;
    EXPECT_EQ(mClipboard->SetContents(Text(u"unsent")), E_FAIL);
    EXPECT_EQ(mClipboard->SetContents(object), E_FAIL);
    mSystem->SetOutsideText("unreachable");
    EXPECT_EQ(mClipboard->GetContents(), object); // cannot be read: the cache answers

    mSystem->mFailOpen = false;
    mSystem->mFailEmpty = true;
    EXPECT_EQ(mClipboard->SetContents(Text(u"kept out")), E_FAIL);
    EXPECT_EQ(mSystem->GetSystemText(), "unreachable");

    mSystem->mFailEmpty = false;
    mSystem->mFailWrite = true;
    EXPECT_EQ(mClipboard->SetContents(Text(u"unwritten")), E_FAIL);
    EXPECT_EQ(mClipboard->SetContents(object), E_FAIL);

    mSystem->mFailWrite = false;
    mSystem->mFailRead = true;
    mSystem->SetOutsideText("unreadable");
    EXPECT_FALSE(mClipboard->GetContents());
}

namespace {

class FakeWindow : public FakeWindowOSServices
{
public:
    explicit FakeWindow(bool active) { mActive = active; }
};

// A control that answers edit requests as it is told, and records what it performed.
class EditControl : public LControl
{
public:
    EditControl(const RCPtr<LControl>& parent, bool isTarget, bool canPerform, int result)
        : LControl(parent, String(u"edit")), mIsTarget(isTarget), mCanPerform(canPerform), mResult(result)
    {
    }
    bool IsEditTarget() const override { return mIsTarget; }
    bool CanPerformEdit(int) override { return mCanPerform; }
    int PerformEdit(int request) override
    {
        mPerformed.push_back(request);
        return mResult;
    }

    const bool mIsTarget;
    const bool mCanPerform;
    const int mResult;
    std::vector<int> mPerformed;
};

class TestApp : public LFrameworkApp
{
};

// What has the focus in one root window.
enum class Focus
{
    None,
    PlainControl,   // no edit target in its chain
    RefusingTarget, // an edit target that cannot perform now
    ChildOfTarget,  // a plain control inside an edit target that can
    Target,         // an edit target that can
};

struct WindowSetup
{
    bool active;
    Focus focus;
    int result; // what the edit target answers
};

class ClipboardRouting : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Platform::SetClipboardBackendFactory([] { return std::make_shared<FakeClipboardBackend>(); });
        mApp = RCPtr<TestApp>(new TestApp());
    }
    void TearDown() override
    {
        mTargets.clear();
        mWindows.clear();
        mApp.Reset();
        Platform::SetClipboardBackendFactory(nullptr);
    }

    void OpenWindows(const std::vector<WindowSetup>& setups)
    {
        for (const WindowSetup& setup : setups)
        {
            mOSWindows.push_back(std::make_unique<FakeWindow>(setup.active));
            RCPtr<LRootWindow> window = LRootWindow::CreateInstance(mOSWindows.back().get());
            RCPtr<LControl> root(new LControl(nullptr, String(u"root")));
            window->SetRootControl(root);
            RCPtr<EditControl> target;
            RCPtr<LControl> focus;
            switch (setup.focus)
            {
            case Focus::None:
                break;
            case Focus::PlainControl:
                focus = RCPtr<LControl>(new EditControl(root, false, true, setup.result));
                break;
            case Focus::RefusingTarget:
                target = RCPtr<EditControl>(new EditControl(root, true, false, setup.result));
                focus = target;
                break;
            case Focus::ChildOfTarget:
                target = RCPtr<EditControl>(new EditControl(root, true, true, setup.result));
                focus = RCPtr<LControl>(new LControl(target, String(u"inner")));
                break;
            case Focus::Target:
                target = RCPtr<EditControl>(new EditControl(root, true, true, setup.result));
                focus = target;
                break;
            }
            window->SetFocusControl(focus);
            mApp->AddRootWindow(window);
            mWindows.push_back(window);
            mTargets.push_back(target);
        }
    }

    RCPtr<TestApp> mApp;
    std::vector<std::unique_ptr<FakeWindow>> mOSWindows;
    std::vector<RCPtr<LRootWindow>> mWindows;
    std::vector<RCPtr<EditControl>> mTargets;
};

} // namespace

TEST_F(ClipboardRouting, EditRequestsReachTheFocusedEditTargetOfTheActiveWindow)
{
    struct Case
    {
        const char* what;
        std::vector<WindowSetup> windows;
        bool canPerform;
        int result;
        int performer; // index of the window whose target performs; -1 none
    };
    const Case cases[] = {
        {"no root window", {}, false, 1, -1},
        {"inactive window", {{false, Focus::Target, 0}}, false, 1, -1},
        {"no focus control", {{true, Focus::None, 0}}, false, 1, -1},
        {"focus outside any edit target", {{true, Focus::PlainControl, 0}}, false, 1, -1},
        {"edit target that refuses", {{true, Focus::RefusingTarget, 0}}, false, 1, -1},
        {"focus inside an edit target", {{true, Focus::ChildOfTarget, 7}}, true, 7, 0},
        {"the last active window wins", {{true, Focus::Target, 5}, {true, Focus::Target, 6}}, true, 6, 1},
        {"an inactive window after it does not",
         {{true, Focus::Target, 5}, {false, Focus::Target, 6}},
         true,
         5,
         0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        OpenWindows(c.windows);
        const RCPtr<LClipboard>& clipboard = mApp->GetClipboard();
        EXPECT_EQ(clipboard->CanPerform(kEditCopy), c.canPerform);
        EXPECT_EQ(clipboard->OnEditRequest(kEditCopy), c.result);
        for (size_t i = 0; i < mTargets.size(); ++i)
        {
            const std::vector<int> expected =
                static_cast<int>(i) == c.performer ? std::vector<int>{kEditCopy} : std::vector<int>{};
            if (mTargets[i])
            {
                EXPECT_EQ(mTargets[i]->mPerformed, expected);
            }
        }
    }
}

TEST_F(ClipboardRouting, EditNotificationsOfTheApplicationCenterBecomeRequests)
{
    OpenWindows({{true, Focus::Target, 0}});
    const char16_t* const ids[] = {u"NID_EDIT_CUT_REQ", u"NID_EDIT_COPY_REQ", u"NID_EDIT_PASTE_REQ",
                                   u"NID_EDIT_DELETE_REQ"};
    const auto postAll = [&] {
        for (const char16_t* id : ids)
            mApp->GetDefaultCenter()->PostNotification(LNotification::Create(id));
        mApp->ProcessNotificationQueues(false);
    };

    postAll(); // not started: the clipboard has not registered yet
    EXPECT_TRUE(mTargets[0]->mPerformed.empty());

    ASSERT_EQ(mApp->RunApplicationStartup(), S_OK);
    postAll();
    EXPECT_EQ(mTargets[0]->mPerformed, (std::vector<int>{kEditCut, kEditCopy, kEditPaste, kEditDelete}));
}

TEST(ClipboardWithoutApplication, HasNoEditTarget)
{
    RCPtr<LClipboard> clipboard = LClipboard::Create(std::make_shared<FakeClipboardBackend>());
    EXPECT_FALSE(clipboard->CanPerform(kEditPaste));
    EXPECT_EQ(clipboard->OnEditRequest(kEditPaste), 1);

    // A control that takes no edit requests must not be asked to perform one.
    RCPtr<LControl> plain(new LControl(nullptr, String(u"plain")));
    EXPECT_FALSE(plain->IsEditTarget());
    EXPECT_FALSE(plain->GetEditTarget());
    EXPECT_THROW(plain->PerformEdit(kEditCopy), std::logic_error);
}
