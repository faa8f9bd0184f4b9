#include "Controls/FileDropper.h"

#include "ControlsTestSupport.h"

using namespace controltest;

namespace {

// A panel that takes drops or refuses them, and notes the drops it gets.
class DropPanel : public LPanel
{
public:
    DropPanel(const RCPtr<LControl>& parent, const String& name, bool accepts, std::vector<std::string>* log)
        : LPanel(parent, name), mAccepts(accepts), mLog(log)
    {
    }
    bool CanAcceptDrop(const RCPtr<LControl>&) override { return mAccepts; }
    KVRESULT Drop(const RCPtr<LControl>& dragged) override
    {
        mLog->push_back(Narrow(GetName().GetText()) + " took " + Narrow(dragged->GetName().GetText()));
        return S_OK;
    }

private:
    bool mAccepts;
    std::vector<std::string>* mLog;
};

using FileDropper = ControlHarness;

TEST_F(FileDropper, TheDropperIsDroppedOnTheTargetAndLeavesItsParentEitherWay)
{
    const std::pair<bool, std::vector<std::string>> cases[] = {{true, {"target took dropper"}}, {false, {}}};
    for (const auto& [accepts, dropped] : cases)
    {
        SCOPED_TRACE(accepts);
        RCPtr<DropPanel> target(new DropPanel(RCPtr<LControl>(mRoot), String(u"target"), accepts, &mLog));
        target->RunCreationSequence(Describe(u"", u"target", 100, 0, 100, 100, {ColourLook(0xFF336699)}));
        RCPtr<LFileDropper> dropper =
            Make<LFileDropper>(RCPtr<LControl>(mRoot), u"dropper", 10, 10, 20, 20, {ColourLook(0xFF993366)});
        EXPECT_FALSE(dropper->IsFocusable());

        Move(20, 20);
        Press(20, 20);
        EXPECT_NE(mWindow->GetFocusControl(), RCPtr<LControl>(dropper));
        Move(60, 20);
        Move(150, 50);
        Release(150, 50);
        EXPECT_EQ(TakeLog(), dropped);
        EXPECT_FALSE(dropper->IsShown(false));
        Idle(); // the removal is done at the next idle pass
        EXPECT_FALSE(dropper->GetParent());
        EXPECT_LT(mRoot->FindChildIndex(RCPtr<LControl>(dropper), LControl::kInsertionOrder), 0);
        target->RemoveFromTree();
    }
}

} // namespace
