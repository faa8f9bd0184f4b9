#include "Storage/Buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace KV;

namespace {

using Buffer4 = BufferT<4, 0, 8, unsigned*>;
using Buffer1Slack128 = BufferT<1, 128, 8, char*>;

// An allocator that runs out of memory on request.
struct FailingAllocator final : IAllocator
{
    static FailingAllocator& Instance()
    {
        static FailingAllocator instance;
        return instance;
    }
    static IAllocator* Get() noexcept { return &Instance(); }
    bool mFail = false;
    void* Allocate(size_t size) override { return mFail ? nullptr : std::malloc(size); }
    void* AllocateZeroed(size_t n, size_t s) override { return mFail ? nullptr : std::calloc(n, s); }
    void* Reallocate(void* block, size_t size) override
    {
        if (size == 0)
        {
            std::free(block); // like the system allocator: 0 bytes frees
            return nullptr;
        }
        return mFail ? nullptr : std::realloc(block, size);
    }
    void Free(void* block) override { std::free(block); }
};

} // namespace

TEST(Buffer, CapacityFollowsGranuleAndSlack)
{
    struct Step
    {
        uint32_t size;
        uint32_t expectedCapacity;
        bool sameBlock; // compared with the block before the step
    };
    // Granule 4, no slack: the threshold is 3 spare bytes.
    {
        Buffer4 buffer;
        const Step steps[] = {{5, 8, false}, {8, 8, true}, {6, 8, true}, {4, 4, false}, {0, 0, false}};
        for (const Step& step : steps)
        {
            SCOPED_TRACE(step.size);
            void* before = buffer.GetData();
            EXPECT_EQ(buffer.SetSize(step.size), step.size);
            EXPECT_EQ(buffer.GetCapacity(), step.expectedCapacity);
            EXPECT_EQ(buffer.GetSize(), step.size);
            if (step.sameBlock)
            {
                EXPECT_EQ(buffer.GetData(), before);
            }
        }
        EXPECT_EQ(buffer.GetData(), nullptr); // reallocating to 0 bytes freed the block
    }
    // Granule 1, slack 128: shrinking 300 -> 200 keeps the block, -> 100 fits it exactly.
    {
        Buffer1Slack128 buffer;
        buffer.SetSize(300);
        std::memset(buffer.GetData(), 'x', 300);
        buffer.SetSize(200);
        EXPECT_EQ(buffer.GetCapacity(), 300u);
        buffer.SetSize(100);
        EXPECT_EQ(buffer.GetCapacity(), 100u);
        EXPECT_EQ(std::memcmp(buffer.GetData(), std::string(100, 'x').data(), 100), 0); // contents kept
    }
}

TEST(Buffer, GrowSizeDoublesAndKeepsItsSpareRoomUntilSetSize)
{
    Buffer1Slack128 buffer;
    buffer.GrowSize(100);
    EXPECT_EQ(buffer.GetCapacity(), 100u);
    std::memset(buffer.GetData(), 'x', 100);
    buffer.GrowSize(101); // at least twice as large
    EXPECT_EQ(buffer.GetCapacity(), 200u);
    EXPECT_EQ(buffer.GetSize(), 101u);
    void* block = buffer.GetData();
    buffer.GrowSize(200); // fits: the block stays
    EXPECT_EQ(buffer.GetData(), block);
    buffer.GrowSize(1000); // more than twice: exactly that
    EXPECT_EQ(buffer.GetCapacity(), 1000u);
    EXPECT_EQ(std::memcmp(buffer.GetData(), std::string(100, 'x').data(), 100), 0); // contents kept
    buffer.SetSize(1000 - 300); // SetSize fits the block again by its rule
    EXPECT_EQ(buffer.GetCapacity(), 700u);
}

TEST(Buffer, AllocateAndReserve)
{
    Buffer4 buffer;
    EXPECT_EQ(buffer.Allocate(0), 0u); // nothing to free
    EXPECT_EQ(buffer.GetData(), nullptr);
    buffer.Allocate(6);
    void* block = buffer.GetData();
    buffer.Allocate(7); // same capacity: block kept
    EXPECT_EQ(buffer.GetData(), block);
    EXPECT_EQ(buffer.GetCapacity(), 8u);
    buffer.Allocate(0);
    EXPECT_EQ(buffer.GetData(), nullptr);
    EXPECT_EQ(buffer.GetCapacity(), 0u);

    // A reserve within the threshold is kept (even when not a multiple of the granule);
    // a larger one is given back at once.
    Buffer1Slack128 reserved(10, 100, true);
    EXPECT_EQ(reserved.GetCapacity(), 100u);
    EXPECT_EQ(static_cast<char*>(reserved.GetData())[9], 0);
    Buffer4 trimmed(1, 9);
    EXPECT_EQ(trimmed.GetCapacity(), 4u);
}

TEST(Buffer, FillRanges)
{
    struct Row
    {
        int32_t offset, length;
        KVRESULT expected;
        int32_t filledFrom, filledCount;
    };
    const Row bytes[] = {
        {0, -1, S_OK, 0, 10},
        {4, 3, S_OK, 4, 3},
        {10, -1, S_OK, 10, 0},
        {10, 0, S_OK, 10, 0},
        {11, -1, E_INVALIDARG, 0, 0},
        {8, 3, E_INVALIDARG, 0, 0},
        {-1, 2, E_INVALIDARG, 0, 0},
        {-4, -1, E_INVALIDARG, 0, 0},
        {1, 0x7FFFFFFF, E_INVALIDARG, 0, 0},
        {0x7FFFFFFF, 2, E_INVALIDARG, 0, 0},
    };
    for (const Row& row : bytes)
    {
        SCOPED_TRACE(testing::Message() << row.offset << "," << row.length);
        BufferT<1, 0, 8, char*> buffer(10, 0, true);
        EXPECT_EQ(buffer.FillBytes(0xAB, row.offset, row.length), row.expected);
        for (int i = 0; i < 10; ++i)
        {
            const bool filled = i >= row.filledFrom && i < row.filledFrom + row.filledCount;
            EXPECT_EQ(static_cast<uint8_t>(buffer.Data()[i]), filled ? 0xAB : 0) << i;
        }
    }

    BufferT<1, 0, 8, char*> words(10, 0, true);
    EXPECT_EQ(words.FillWords(0x1234, 2, -1), S_OK); // (10 - 2) / 2 words
    uint16_t last;
    std::memcpy(&last, words.Data() + 8, 2);
    EXPECT_EQ(last, 0x1234);
    EXPECT_EQ(words.FillWords(0, 2, 5), E_INVALIDARG);
    EXPECT_EQ(words.FillWords(0, -2, 1), E_INVALIDARG);
    EXPECT_EQ(words.FillWords(0, 0, 0x40000000), E_INVALIDARG);
}

TEST(Buffer, ExhaustedMemoryThrowsAndKeepsTheBlock)
{
    using Fallible = BufferT<1, 0, 8, char*, &FailingAllocator::Get>;
    Fallible buffer(4, 0, true);
    FailingAllocator::Instance().mFail = true;
    EXPECT_THROW(buffer.SetSize(1000), std::bad_alloc);
    EXPECT_EQ(buffer.GetSize(), 4u);
    EXPECT_NE(buffer.GetData(), nullptr);
    EXPECT_THROW(buffer.Allocate(1000), std::bad_alloc);
    EXPECT_THROW(Fallible(16), std::bad_alloc);
    try
    {
        Fallible(16);
    }
    catch (const std::bad_alloc& e)
    {
        EXPECT_STREQ(e.what(), "bad allocation");
    }
    FailingAllocator::Instance().mFail = false;
}

TEST(LBuffer, ResizedCopies)
{
    RCPtr<LIBuffer> source = LStringBuffer::Create(10);
    for (int i = 0; i < 10; ++i)
        static_cast<char*>(source->GetData())[i] = static_cast<char>('a' + i);

    struct Row
    {
        uint32_t newSize, offset;
        const char* expected;
        uint32_t expectedLength;
    };
    const Row rows[] = {
        {4, 0, "abcd", 4},        {20, 0, "abcdefghij\0\0\0\0\0\0\0\0\0\0", 20},
        {3, 8, "ij\0", 3},        {5, 10, "\0\0\0\0\0", 5},
        {5, 50, "\0\0\0\0\0", 5},
    };
    for (const Row& row : rows)
    {
        RCPtr<LIBuffer> copy = source->CreateResizedCopy(row.newSize, row.offset);
        ASSERT_EQ(copy->GetSize(), row.expectedLength);
        EXPECT_EQ(std::memcmp(copy->GetData(), row.expected, row.expectedLength), 0)
            << row.newSize << "," << row.offset;
    }
    EXPECT_EQ(source->GetSize(), 10u);
}

TEST(LBuffer, CopyOfLockedBufferIsPrivate)
{
    RCPtr<LIBuffer> writer = LStringBuffer::Create(3);
    std::memcpy(writer->GetData(), "abc", 3);
    writer->SetUnshareable(true);

    RCPtr<LIBuffer> reader = writer;
    ASSERT_NE(reader.Get(), writer.Get());
    EXPECT_EQ(std::memcmp(reader->GetData(), "abc", 3), 0);
    EXPECT_EQ(writer->GetRefCount(), 1);

    static_cast<char*>(writer->GetData())[0] = 'X';
    EXPECT_EQ(static_cast<char*>(reader->GetData())[0], 'a');
    writer->SetUnshareable(false);
}
