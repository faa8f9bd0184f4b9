#include "ObjectBase/Exception.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Pieces(const std::string& text)
{
    std::vector<std::string> pieces;
    size_t start = 0;
    for (size_t at; (at = text.find(" : ", start)) != std::string::npos; start = at + 3)
        pieces.push_back(text.substr(start, at - start));
    pieces.push_back(text.substr(start));
    return pieces;
}

struct Widget
{
    [[noreturn]] static void Fail() { KV_THROW(std::out_of_range, "Unknown Path ID."); }
    [[noreturn]] void FailPlain() const { KV_THROW(std::runtime_error, ""); }
    [[noreturn]] static void FailNull() { KV_THROW_NULL_POINTER("Invalid Control Name"); }
};

template <class T> struct Box
{
    [[noreturn]] static int Open(T) { KV_THROW(std::logic_error, "no"); }
};

} // namespace

TEST(FormatResult, UpperCaseHexWithoutPadding)
{
    EXPECT_EQ(KV::FormatResult(E_FAIL), "KVRESULT = 80004005");
    EXPECT_EQ(KV::FormatResult(E_QUIET_EXIT_A020), "KVRESULT = 8000A020");
    EXPECT_EQ(KV::FormatResult(0x1F), "KVRESULT = 1F");
    EXPECT_EQ(KV::FormatResult(0), "KVRESULT = 0");
}

TEST(ErrorText, PiecesForEachForm)
{
    try
    {
        Widget::Fail();
    }
    catch (const std::out_of_range& e)
    {
        auto p = Pieces(e.what());
        ASSERT_EQ(p.size(), 5u) << e.what();
        EXPECT_EQ(p[0], "Out of Range");
        EXPECT_EQ(p[1], "Unknown Path ID.");
        EXPECT_EQ(p[2], "{anonymous}::Widget::Fail");
        EXPECT_EQ(p[3], "ObjectBase/ExceptionTests");
        EXPECT_TRUE(p[4].starts_with("Line ")) << p[4];
    }
    try
    {
        Widget{}.FailPlain();
    }
    catch (const std::runtime_error& e)
    {
        auto p = Pieces(e.what());
        ASSERT_EQ(p.size(), 4u) << e.what();
        EXPECT_EQ(p[0], "Runtime Error");
        EXPECT_EQ(p[1], "{anonymous}::Widget::FailPlain");
    }
    try
    {
        Widget::FailNull();
    }
    catch (const KV::ExceptionBase& e)
    {
        auto p = Pieces(e.What());
        ASSERT_EQ(p.size(), 6u) << e.What();
        EXPECT_EQ(p[0], "Runtime Error");
        EXPECT_EQ(p[1], "Null Pointer");
        EXPECT_EQ(p[2], "Invalid Control Name");
    }
    try
    {
        Box<int>::Open(1);
    }
    catch (const std::logic_error& e)
    {
        // g++ names the parameter (Box<T>), clang the argument (Box<int>).
        const std::string function = Pieces(e.what())[2];
        EXPECT_TRUE(function.starts_with("{anonymous}::Box<") && function.ends_with(">::Open")) << e.what();
    }
}

TEST(ErrorText, FailedResult)
{
    try
    {
        KV_THROW_IF_FAILED(E_INVALIDARG);
        FAIL();
    }
    catch (const KV::FailedResultException& e)
    {
        auto p = Pieces(e.what());
        EXPECT_EQ(p[0], "Failed Result");
        EXPECT_EQ(p[1], "KVRESULT = 80070057");
    }
    EXPECT_NO_THROW(KV_THROW_IF_FAILED(S_FALSE));
}

// Which handler catches which kind, and that the base and the full object show one text.
TEST(ExceptionCatchMatrix, HandlersAndTexts)
{
    auto thrower = [](int kind) {
        switch (kind)
        {
        case 0:
            KV_THROW(std::logic_error, "a");
        case 1:
            KV_THROW(std::runtime_error, "b");
        case 2:
            KV_THROW(std::out_of_range, "c");
        case 3:
            KV_THROW(std::domain_error, "d");
        case 4:
            KV_THROW(std::invalid_argument, "e");
        case 5:
            KV_THROW_FAILED_RESULT(E_FAIL);
        default:
            KV::ThrowBadAlloc();
        }
    };
    struct Row
    {
        const char* kindWord;
        bool isRuntime, isLogic, isBadAlloc;
    };
    const Row rows[] = {{"Logic Error", false, true, false},
                        {"Runtime Error", true, false, false},
                        {"Out of Range", false, true, false},
                        {"Domain Error", false, true, false},
                        {"Invalid Argument", false, true, false},
                        {"Failed Result", false, false, false},
                        {nullptr, false, false, true}};
    for (int kind = 0; kind < 7; ++kind)
    {
        const Row& row = rows[kind];
        SCOPED_TRACE(kind);
        bool runtime = false, logic = false, badAlloc = false;
        try
        {
            thrower(kind);
        }
        catch (const std::runtime_error&)
        {
            runtime = true;
        }
        catch (...)
        {
        }
        try
        {
            thrower(kind);
        }
        catch (const std::logic_error&)
        {
            logic = true;
        }
        catch (...)
        {
        }
        try
        {
            thrower(kind);
        }
        catch (const std::bad_alloc&)
        {
            badAlloc = true;
        }
        catch (...)
        {
        }
        EXPECT_EQ(runtime, row.isRuntime);
        EXPECT_EQ(logic, row.isLogic);
        EXPECT_EQ(badAlloc, row.isBadAlloc);

        std::string viaStd, viaBase;
        try
        {
            thrower(kind);
        }
        catch (const std::exception& e)
        {
            viaStd = e.what();
        }
        try
        {
            thrower(kind);
        }
        catch (const KV::ExceptionBase& e)
        {
            viaBase = e.What();
        }
        EXPECT_EQ(viaStd, viaBase);
        if (row.kindWord)
            EXPECT_EQ(Pieces(viaStd)[0], row.kindWord);
        else
            EXPECT_EQ(viaStd, "bad allocation");
    }
}

TEST(ExceptionCopy, CopyOwnsItsText)
{
    std::optional<KV::Exception<std::runtime_error>> copy;
    {
        KV::Exception<std::runtime_error> original(std::string("Runtime Error : x : f : s : Line 1"));
        copy.emplace(original);
    }
    EXPECT_STREQ(copy->what(), "Runtime Error : x : f : s : Line 1");
    KV::Exception<KV::FailedResultException> failed(std::string("Failed Result : KVRESULT = 80004005"));
    auto failedCopy = failed;
    EXPECT_STREQ(failedCopy.What(), failed.what());
}
