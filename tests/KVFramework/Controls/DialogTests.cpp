#include "Controls/Dialog.h"

#include "ControlsTestSupport.h"

using namespace controltest;

namespace {

// A dialog that notes when its own Close runs.
class RecordingDialog : public LDialog
{
public:
    RecordingDialog(const RCPtr<LControl>& parent, const String& name, std::vector<std::string>* log)
        : LDialog(parent, name), mLog(log)
    {
    }

protected:
    KVRESULT Close() override
    {
        mLog->push_back("Close");
        return S_OK;
    }

private:
    std::vector<std::string>* mLog;
};

// Hears the dialog's closing and closed notifications; keeps the dialog open when asked to.
class ClosingListener : public LNotificationClient
{
public:
    static RCPtr<ClosingListener> Create(std::vector<std::string>* log, bool cancel)
    {
        return RCPtr<ClosingListener>(new ClosingListener(log, cancel));
    }
    KVRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) override
    {
        mLog->push_back(Narrow(n->GetId()));
        if (auto* args = dynamic_cast<LCancelArgs*>(n->GetData().Get()); args && mCancel)
            args->mCancel = true;
        return S_OK;
    }

private:
    ClosingListener(std::vector<std::string>* log, bool cancel) : mLog(log), mCancel(cancel) {}
    std::vector<std::string>* mLog;
    bool mCancel;
};

using Dialog = ControlHarness;

TEST_F(Dialog, TheCloseBoxEndsTheDialogUnlessAListenerCancels)
{
    struct Case
    {
        const char* what;
        int listeners;    // how many listen
        bool lastCancels; // the last one registered (the first one asked) keeps it open
        std::vector<std::string> heard;
        std::vector<int32_t> windowEnds;
    };
    const Case cases[] = {
        {"nobody listens", 0, false, {"Close"}, {2}},
        {"a listener agrees", 1, false, {"NID_DIALOG_CLOSING", "NID_DIALOG_CLOSED", "Close"}, {2}},
        {"a listener cancels", 1, true, {"NID_DIALOG_CLOSING"}, {}},
        {"one of two cancels", 2, true, {"NID_DIALOG_CLOSING", "NID_DIALOG_CLOSING"}, {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::vector<std::string> heard;
        RCPtr<RecordingDialog> dialog(new RecordingDialog(nullptr, String(u"dialog"), &heard));
        dialog->RunCreationSequence(Describe(u"", u"dialog", 0, 0, 200, 100));
        mWindow->SetRootControl(RCPtr<LControl>(dialog));
        std::vector<RCPtr<ClosingListener>> listeners;
        for (int i = 0; i < c.listeners; ++i)
        {
            listeners.push_back(ClosingListener::Create(&heard, c.lastCancels && i == c.listeners - 1));
            for (const char16_t* id : {u"NID_DIALOG_CLOSING", u"NID_DIALOG_CLOSED"})
                listeners.back()->RegisterNotification(RCPtr<LNotificationDistributor>(dialog), id);
        }
        mOS.mEndModalResults.clear();

        mWindow->OnCloseCommand();
        EXPECT_EQ(dialog->GetResult(), LDialog::kClosedByWindow);
        EXPECT_EQ(heard, c.heard);
        EXPECT_EQ(mWindow->IsCloseRequested(), !c.windowEnds.empty());
        EXPECT_TRUE(mOS.mEndModalResults.empty()); // the window ends at the next idle pass
        Idle();
        EXPECT_EQ(mOS.mEndModalResults, c.windowEnds);
        mWindow->SetRootControl(nullptr);
    }
}

TEST_F(Dialog, EndingByCodeClosesTheWindowWithTheResult)
{
    std::vector<std::string> heard;
    RCPtr<RecordingDialog> dialog(new RecordingDialog(nullptr, String(u"dialog"), &heard));
    dialog->RunCreationSequence(Describe(u"", u"dialog", 0, 0, 200, 100));
    mWindow->SetRootControl(RCPtr<LControl>(dialog));
    EXPECT_EQ(dialog->EndDialog(7), S_OK);
    Idle();
    EXPECT_EQ(mOS.mEndModalResults, std::vector<int32_t>{7});
    EXPECT_EQ(heard, std::vector<std::string>{"Close"});
}

} // namespace
