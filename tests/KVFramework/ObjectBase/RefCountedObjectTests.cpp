#include "ObjectBase/Holder.h"
#include "ObjectBase/RCPtr.h"
#include "ObjectBase/TaggableObject.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace KV;

namespace rctest {

// Records when it dies and how often its release hook runs. `registry` plays a
// registry that holds internal references to it and drops them in the hook.
struct Probe : public virtual LRefCountedObject
{
    explicit Probe(std::vector<std::string>* log = nullptr, std::string name = "probe")
        : mLog(log), mName(std::move(name))
    {
    }
    ~Probe() override
    {
        if (mLog)
            mLog->push_back(mName + " died");
    }

    // Takes a reference on the object's own behalf, counted as internal.
    void RegisterInternal()
    {
        AddRef();
        AdjustInternalRefCount(1);
        ++mRegistrations;
    }

    KVRESULT ReleaseInternalReferences() override
    {
        ++mHookCalls;
        if (mLog)
            mLog->push_back(mName + " hook");
        const int toDrop = mDropInHook ? mRegistrations : 0;
        for (int i = 0; i < toDrop; ++i)
        {
            --mRegistrations;
            AdjustInternalRefCount(-1);
            Release();
        }
        return LRefCountedObject::ReleaseInternalReferences();
    }

    std::vector<std::string>* mLog;
    std::string mName;
    int mRegistrations = 0;
    int mHookCalls = 0;
    bool mDropInHook = true;
};

struct Other : public virtual LRefCountedObject
{
};

// A shared object that can be copied, like the buffers.
struct Copyable : public virtual LRefCountedObject
{
    explicit Copyable(int value) : mValue(value) {}
    RCPtr<LRefCountedObject> CreateCopy() const override
    {
        return RCPtr<LRefCountedObject>(new Copyable(mValue));
    }
    int mValue;
};

// Copies itself into an object of another class: no valid private copy.
struct WrongCopy : public virtual LRefCountedObject
{
    RCPtr<LRefCountedObject> CreateCopy() const override { return RCPtr<LRefCountedObject>(new Other()); }
};

} // namespace rctest

using namespace rctest;

TEST(RefCountedObject, ReleaseHookAndDeathForReferenceMixes)
{
    struct Row
    {
        int outside;  // references held from outside
        int internal; // references held by the registry
        bool hookDrops;
        int expectedHookCalls;
        bool diesWithLastOutside;
    };
    const Row rows[] = {
        {1, 0, true, 0, true},   // plain object: no hook
        {1, 1, true, 1, true},   // registry entry dropped by the hook
        {3, 2, true, 1, true},   // hook runs once, on the last outside release
        {1, 1, false, 1, false}, // hook leaves the entry: object lives on
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(testing::Message() << row.outside << " outside, " << row.internal << " internal");
        std::vector<std::string> log;
        auto* probe = new Probe(&log);
        probe->mDropInHook = row.hookDrops;
        std::vector<RCPtr<Probe>> holders;
        for (int i = 0; i < row.outside; ++i)
            holders.emplace_back(probe);
        for (int i = 0; i < row.internal; ++i)
            probe->RegisterInternal();

        while (holders.size() > 1)
            holders.pop_back();
        EXPECT_TRUE(log.empty());
        const int hookCallsBefore = probe->mHookCalls;
        EXPECT_EQ(hookCallsBefore, 0);
        holders.clear();

        const bool died = !log.empty() && log.back() == "probe died";
        EXPECT_EQ(died, row.diesWithLastOutside);
        if (!died)
        {
            // The registry's own later release destroys it, without another hook call.
            EXPECT_EQ(probe->GetRefCount(), probe->GetInternalRefCount());
            EXPECT_EQ(probe->mHookCalls, row.expectedHookCalls);
            probe->AdjustInternalRefCount(-1);
            probe->Release();
        }
        EXPECT_EQ(std::count(log.begin(), log.end(), "probe hook"), row.expectedHookCalls);
        EXPECT_EQ(log.back(), "probe died");
    }
}

TEST(RefCountedObject, AdjustInternalRefCountReturnsPrevious)
{
    RCPtr<Probe> p(new Probe());
    EXPECT_EQ(p->AdjustInternalRefCount(2), 0);
    EXPECT_EQ(p->AdjustInternalRefCount(-1), 2);
    EXPECT_EQ(p->GetInternalRefCount(), 1);
    p->AdjustInternalRefCount(-1);
}

TEST(RefCountedObject, BaseOperationsThrowAsDocumented)
{
    RCPtr<Other> p(new Other());
    try
    {
        p->Undo();
        FAIL();
    }
    catch (const std::logic_error& e)
    {
        EXPECT_TRUE(std::string(e.what()).starts_with(
            "Logic Error : Undo() not implemented for RefCountedObject : KV::LRefCountedObject::Undo : "))
            << e.what();
    }
    try
    {
        p->CreateCopy();
        FAIL();
    }
    catch (const std::logic_error& e)
    {
        EXPECT_TRUE(std::string(e.what()).starts_with("Logic Error : CreateCopy() not implemented for "
                                                      "RefCountedObject : KV::LRefCountedObject::CreateCopy"))
            << e.what();
    }
}

TEST(RefCountedObject, SetUnshareableOnlyWhileHeldOnce)
{
    RCPtr<Other> p(new Other());
    EXPECT_NO_THROW(p->SetUnshareable(true));
    EXPECT_FALSE(p->IsShareable());
    p->SetUnshareable(false);

    RCPtr<Other> second = p;
    try
    {
        p->SetUnshareable(true);
        FAIL();
    }
    catch (const std::runtime_error& e)
    {
        EXPECT_TRUE(
            std::string(e.what()).starts_with("Runtime Error : KV::LRefCountedObject::SetUnshareable : "))
            << e.what();
    }
    EXPECT_TRUE(p->IsShareable());
    EXPECT_NO_THROW(p->SetUnshareable(false));
}

TEST(RCPtr, AssignTakesNewBeforeDroppingOld)
{
    // The old object holds the only reference to the new one: dropping the old first
    // would destroy the new one before it is taken.
    struct Node : public virtual LRefCountedObject
    {
        RCPtr<Node> mNext;
    };
    RCPtr<Node> head(new Node());
    head->mNext = RCPtr<Node>(new Node());
    Node* next = head->mNext.Get();
    head = head->mNext; // under ASan: no use after free
    EXPECT_EQ(head.Get(), next);
    EXPECT_EQ(head->GetRefCount(), 1);

    RCPtr<Node> a(new Node());
    a->mNext = RCPtr<Node>(new Node());
    a = std::move(a->mNext);
    EXPECT_EQ(a->GetRefCount(), 1);
}

TEST(RCPtr, SameObjectAssignAndReset)
{
    RCPtr<Other> a(new Other());
    RCPtr<Other> b = a;
    EXPECT_EQ(a->GetRefCount(), 2);
    a = b;
    a.Assign(b.Get());
    EXPECT_EQ(a->GetRefCount(), 2);

    RCPtr<Other> empty;
    empty.Reset();
    EXPECT_FALSE(empty);

    // The pointer is already empty when the object dies.
    struct Watched : public virtual LRefCountedObject
    {
        const RCPtr<Watched>* mHolder = nullptr;
        bool* mHolderEmptyAtDeath = nullptr;
        ~Watched() override { *mHolderEmptyAtDeath = !*mHolder; }
    };
    bool emptyAtDeath = false;
    auto* watched = new Watched();
    RCPtr<Watched> holder(watched);
    watched->mHolder = &holder;
    watched->mHolderEmptyAtDeath = &emptyAtDeath;
    holder.Reset();
    EXPECT_TRUE(emptyAtDeath);
}

TEST(RCPtr, ConversionsTestTheClassAtRunTime)
{
    RCPtr<Probe> probe(new Probe());
    RCPtr<LRefCountedObject> base = probe;
    EXPECT_EQ(probe->GetRefCount(), 2);

    EXPECT_EQ(DynamicRCPtrCast<Probe>(base).Get(), probe.Get());
    EXPECT_FALSE(DynamicRCPtrCast<Other>(base));
    EXPECT_FALSE(RCPtr<Other>::DynamicCastFrom(base));
    EXPECT_EQ(probe->GetRefCount(), 2); // failed conversion took no reference
    EXPECT_FALSE(DynamicRCPtrCast<Probe>(RCPtr<LRefCountedObject>()));

    RCPtr<Other> other(new Other());
    other.AssignDynamicCast(base);
    EXPECT_FALSE(other);
    EXPECT_EQ(RCPtr<LRefCountedObject>::StaticCastFrom(probe).Get(), base.Get());
    ConstRCPtr<Probe> readOnly = probe;
    EXPECT_EQ(readOnly, probe);
}

TEST(RCPtr, UnshareableObjectGivesEachNewHolderAPrivateCopy)
{
    RCPtr<Copyable> writer(new Copyable(7));
    writer->SetUnshareable(true);

    RCPtr<Copyable> reader = writer;
    EXPECT_NE(reader.Get(), writer.Get());
    EXPECT_EQ(reader->mValue, 7);
    EXPECT_EQ(writer->GetRefCount(), 1);
    EXPECT_EQ(reader->GetRefCount(), 1);
    EXPECT_TRUE(reader->IsShareable());

    writer->SetUnshareable(false);
    RCPtr<Copyable> shared = writer;
    EXPECT_EQ(shared.Get(), writer.Get());
}

TEST(RCPtr, FailedPrivateCopyLeavesHolderAsItWas)
{
    // A class without a copy that was marked not shareable: the assignment throws and
    // the holder keeps its object with its reference.
    RCPtr<Other> marked(new Other());
    marked->SetUnshareable(true);
    RCPtr<Other> holder;
    EXPECT_THROW(holder = marked, std::logic_error);
    EXPECT_EQ(holder.Get(), marked.Get());
    EXPECT_EQ(marked->GetRefCount(), 2);
    holder.Reset();

    // Constructing from it throws and gives its reference back.
    EXPECT_THROW(RCPtr<Other> copy(marked), std::logic_error);
    EXPECT_EQ(marked->GetRefCount(), 1);

    // A copy of the wrong class leaves the holder empty and names the class.
    RCPtr<WrongCopy> wrong(new WrongCopy());
    wrong->SetUnshareable(true);
    RCPtr<WrongCopy> other;
    try
    {
        other = wrong;
        FAIL();
    }
    catch (const std::logic_error& e)
    {
        EXPECT_FALSE(other);
        EXPECT_NE(std::string(e.what()).find("Logic Error : class rctest::WrongCopy : "
                                             "KV::ConstRCPtr<class rctest::WrongCopy>::Unshare"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_EQ(wrong->GetRefCount(), 1);
}

TEST(Holder, DefaultsAndValues)
{
    EXPECT_FALSE(LHolder<bool>::CreateDefault()->Value());
    EXPECT_EQ(LHolder<int>::CreateDefault()->Value(), 0);
    auto text = LHolder<std::string>::Create("kept");
    text->Value() += "!";
    EXPECT_EQ(text->Value(), "kept!");
}

TEST(TaggableObject, TagIsReleasedWithTheObject)
{
    std::vector<std::string> log;
    {
        RCPtr<LTaggableObject> tagged(new LTaggableObject());
        EXPECT_FALSE(tagged->GetTag());
        tagged->SetTag(RCPtr<LRefCountedObject>(new Probe(&log, "tag")));
    }
    EXPECT_EQ(log, std::vector<std::string>{"tag died"});
}

TEST(RefCountedObject, LastTwoOutsideReferencesDroppedAtOnceRunTheHookOnce)
{
    // Holds one internal reference of its own, dropped by its hook.
    struct Registered : public virtual LRefCountedObject
    {
        Registered(std::atomic<int>& hooks, std::atomic<int>& deaths) : mHooks(hooks), mDeaths(deaths)
        {
            AddRef();
            AdjustInternalRefCount(1);
        }
        ~Registered() override { ++mDeaths; }
        KVRESULT ReleaseInternalReferences() override
        {
            if (mHooks++ == 0)
            {
                AdjustInternalRefCount(-1);
                Release();
            }
            return LRefCountedObject::ReleaseInternalReferences();
        }
        std::atomic<int>& mHooks;
        std::atomic<int>& mDeaths;
    };

    // Each round, two threads drop the last two outside references at the same moment:
    // whichever comes second must run the hook, which lets the object die.
    for (int round = 0; round < 2000; ++round)
    {
        std::atomic<int> hooks{0}, deaths{0};
        auto* object = new Registered(hooks, deaths);
        object->AddRef();
        object->AddRef();
        std::atomic<int> ready{0};
        auto drop = [&] {
            ++ready;
            while (ready.load() < 2)
            {
            }
            object->Release();
        };
        std::thread first(drop), second(drop);
        first.join();
        second.join();
        ASSERT_EQ(hooks.load(), 1) << "round " << round;
        ASSERT_EQ(deaths.load(), 1) << "round " << round;
    }
}
