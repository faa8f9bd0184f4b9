#include "ControlBase/StringTable.h"
#include "System/GlobalHotKeyManager.h"
#include "System/KeyCodeTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace KV;

namespace {

const KeyCode kCtrlF5 = KeyCode::FromVirtualKey(0x74, true, 0, kModifierCtrl);
const KeyCode kF6 = KeyCode::FromVirtualKey(0x75, true, 0, 0);

std::string Narrow(const String& text)
{
    return text.ToNarrow().GetText();
}

// Records what reaches it: the identifier text, and whether a sender or data came along.
class RecordingReceiver : public LNotificationReceiver
{
public:
    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender, const RCPtr<LNotification>& n) override
    {
        mReceived.push_back(Narrow(GetNotificationIdText(n->GetId())));
        mWithSenderOrData |= sender || n->GetData();
        return S_OK;
    }
    KVRESULT Detach(const RCPtr<LNotificationDistributor>&, NotificationId) override { return S_OK; }

    std::vector<std::string> mReceived;
    bool mWithSenderOrData = false;
};

} // namespace

TEST(KeyCodeTable, AKeyIsBoundOnceAndInOrder)
{
    KeyCodeTable table;
    EXPECT_EQ(table.AddKeyCode(kCtrlF5, u"NID_A"), S_OK);
    EXPECT_EQ(table.AddKeyCode(kF6, u"NID_A"), S_OK);

    // A double binding is refused, to the same name or another, also by an equal key.
    EXPECT_EQ(table.AddKeyCode(kCtrlF5, u"NID_A"), E_INVALIDARG);
    EXPECT_EQ(
        table.AddKeyCode(KeyCode::FromVirtualKey(0x74, true, 1, kModifierCtrl | kModifierLeftCtrl), u"NID_B"),
        E_INVALIDARG);
    EXPECT_EQ(table.AddKeyCode(KeyCode::FromCharacter(u'a', 0), u"NID_B"), S_OK);
    EXPECT_EQ(table.AddKeyCode(KeyCode::FromCharacter(u'a', kModifierCtrl), u"NID_C"), E_INVALIDARG);
    EXPECT_EQ(table.AddKeyCode(KeyCode::FromCharacter(u'b', 0), u""), E_INVALIDARG);
    EXPECT_EQ(table.AddKeyCode(KeyCode::FromCharacter(u'b', 0), nullptr), E_INVALIDARG);

    const Array<KeyCode> keys = table.GetKeyCodes(u"NID_A");
    ASSERT_EQ(keys.GetCount(), 2u);
    EXPECT_EQ(keys.GetAtConst(0)->mCode, kCtrlF5.mCode);
    EXPECT_EQ(keys.GetAtConst(1)->mCode, kF6.mCode);
    EXPECT_EQ(table.GetFirstKeyCode(u"NID_A").mCode, kCtrlF5.mCode);
    EXPECT_TRUE(table.HasName(u"NID_B"));
    EXPECT_FALSE(table.HasName(u"NID_C"));
    EXPECT_FALSE(table.HasName(u""));
    EXPECT_EQ(table.GetKeyCodes(u"NID_C").GetCount(), 0u);

    const KeyCode none = table.GetFirstKeyCode(u"NID_C");
    EXPECT_EQ(none.mCode, KeyCode::kNoKey);
    EXPECT_EQ(none.mSideFlags, 0u);
    EXPECT_EQ(none.mWasDown, 0);

    EXPECT_EQ(Narrow(table.FindNameByKeyCode(kF6)), "NID_A");
    EXPECT_EQ(Narrow(table.FindNameByKeyCode(KeyCode::FromCharacter(u'a', kModifierShift))), "NID_B");
    EXPECT_EQ(Narrow(table.FindNameByKeyCode(KeyCode::FromVirtualKey(0x75, false, 1, 0))), "");

    table.Clear();
    EXPECT_FALSE(table.HasName(u"NID_A"));
    EXPECT_EQ(table.AddKeyCode(kCtrlF5, u"NID_B"), S_OK);
}

TEST(KeyCodeTable, LoadsTheEntriesOfItsPrefix)
{
    RCPtr<LStringTable> strings = LStringTable::Create();
    const std::pair<const char16_t*, const char16_t*> entries[] = {
        {u"GHK.A.B.NAME", u"CTRL+VKEY_F5"},     // bound under the part after the last "."
        {u"GHK.NID_SAME_KEY", u"ctrl+vkey_f5"}, // already bound: skipped
        {u"GHK.NID_HELP", u"VKEY_F1"},
        {u"XGHK.NID_OTHER", u"VKEY_F6"}, // does not begin with the prefix
        {u"GHKNID_NODOT", u"VKEY_F7"},
        {u"LHK.NID_LOCAL", u"VKEY_F8"},
        {u"GHK.", u"VKEY_F9"}, // no name
        {u"LABEL", u"Update"},
    };
    for (const auto& [key, text] : entries)
        ASSERT_EQ(strings->SetString(String(key), String(text)), S_OK);

    KeyCodeTable table;
    EXPECT_EQ(table.LoadFromStringTable(nullptr, u"GHK"), E_INVALIDARG);
    EXPECT_EQ(table.LoadFromStringTable(strings, u"GHK"), S_OK);

    EXPECT_EQ(table.GetFirstKeyCode(u"NAME").mCode, kCtrlF5.mCode);
    EXPECT_EQ(table.GetKeyCodes(u"NAME").GetCount(), 1u);
    EXPECT_TRUE(table.HasName(u"NID_HELP"));
    for (const char16_t* absent :
         {u"NID_SAME_KEY", u"NID_OTHER", u"NID_NODOT", u"GHKNID_NODOT", u"NID_LOCAL", u"A", u"B"})
        EXPECT_FALSE(table.HasName(absent)) << Narrow(String(absent));
    for (uint32_t key : {0x75u, 0x76u, 0x77u, 0x78u})
        EXPECT_EQ(
            Narrow(table.FindNameByKeyCode(KeyCode::FromVirtualKey(static_cast<uint8_t>(key), true, 0, 0))),
            "");
}

TEST(GlobalHotKeyManager, SendsTheBoundNameToItsTarget)
{
    RCPtr<RecordingReceiver> target(new RecordingReceiver());
    RCPtr<LGlobalHotKeyManager> manager = LGlobalHotKeyManager::Create(target);
    ASSERT_EQ(manager->GetKeyCodeTable().AddKeyCode(kCtrlF5, u"NID_MY_COMMAND"), S_OK);

    EXPECT_EQ(manager->HandleKey(kF6), S_FALSE);
    EXPECT_TRUE(target->mReceived.empty());

    EXPECT_EQ(manager->HandleKey(KeyCode::FromVirtualKey(0x74, true, 1, kModifierCtrl | kModifierLeftCtrl)),
              S_OK);
    EXPECT_EQ(target->mReceived, std::vector<std::string>{"NID_MY_COMMAND"});
    EXPECT_FALSE(target->mWithSenderOrData);

    // Without a target a bound key still counts as handled.
    RCPtr<LGlobalHotKeyManager> silent = LGlobalHotKeyManager::Create(nullptr);
    ASSERT_EQ(silent->GetKeyCodeTable().AddKeyCode(kF6, u"NID_MY_COMMAND"), S_OK);
    EXPECT_EQ(silent->HandleKey(kF6), S_OK);
}
