#include "Controls/MenuDescriptor.h"

#include "ControlsTestSupport.h"

using namespace controltest;

namespace {

class ContextMenu : public ControlHarness
{
};

TEST_F(ContextMenu, ItsCommandsNamedLikeHotKeysActAsThoseKeysUntilTheMenuIsReplaced)
{
    const KeyCode f6 = KeyCode::FromVirtualKey(0x75, true, 0, 0);
    mWindow->GetHotKeyManager()->GetKeyCodeTable().AddKeyCode(f6, u"NID_WINDOW_CMD");
    mApp->GetHotKeyManager()->GetKeyCodeTable().AddKeyCode(f6, u"NID_APP_CMD");
    mRecorder->Listen(RCPtr<LNotificationDistributor>(mWindow), u"NID_WINDOW_CMD");
    mRecorder->Listen(RCPtr<LNotificationDistributor>(mApp->GetDefaultCenter()), u"NID_APP_CMD");

    RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
    menu->AddItem(0, String(u"Window"), String(u"NID_WINDOW_CMD"), true, false);
    menu->AddItem(1, String(u"Plain"), String(u"NID_PLAIN"), true, false);
    RCPtr<LMenuItemDescriptor> submenu = LMenuItemDescriptor::Create(String(u"More"), String(), true, false);
    submenu->AddItem(0, String(u"Application"), String(u"NID_APP_CMD"), true, false);
    menu->InsertItem(2, submenu);

    RCPtr<LControl> control = Make<LControl>(RCPtr<LControl>(mRoot), u"owner", 0, 0, 20, 20);
    const auto choose = [&](const char16_t* id) {
        DeliverNotification(RCPtr<LNotificationReceiver>(control), id, nullptr);
        EXPECT_TRUE(TakeLog().empty()); // posted, as the key's notification would be
        mApp->ProcessNotificationQueues(false);
        return TakeLog();
    };

    EXPECT_EQ(control->SetContextMenu(menu), S_OK);
    EXPECT_EQ(control->GetContextMenu(), menu);
    EXPECT_EQ(choose(u"NID_WINDOW_CMD"), std::vector<std::string>{"NID_WINDOW_CMD"});
    EXPECT_EQ(choose(u"NID_APP_CMD"), std::vector<std::string>{"NID_APP_CMD"}); // from the submenu
    EXPECT_TRUE(choose(u"NID_PLAIN").empty());

    control->SetContextMenu(nullptr);
    EXPECT_FALSE(control->GetContextMenu());
    EXPECT_TRUE(choose(u"NID_WINDOW_CMD").empty());
    EXPECT_TRUE(choose(u"NID_APP_CMD").empty());
}

} // namespace
