// The framework's copy-on-write string against std::u16string for appending, searching
// and comparing, and the UTF-8/UTF-16 conversion in MB/s against the standard library's
// codecvt facet. Each pair runs the same work, one line per side.
#include "Storage/StringT.h"
#include "Storage/Transcode.h"

#include <benchmark/benchmark.h>

#include <cwchar>
#include <locale>
#include <string>

namespace {

const std::u16string kPiece = u"sixteen units..."; // 16 code units

std::u16string MakeText(size_t units)
{
    std::u16string text;
    while (text.size() < units)
        text += u"lorem ipsum dolor sit amet, ";
    text.resize(units);
    return text;
}

// Mixed text: one, two, three and four bytes per character in UTF-8.
std::string MakeUtf8(size_t bytes)
{
    std::string text;
    while (text.size() < bytes)
        text += "Firmware update \xC3\xA9t\xC3\xA9 \xE2\x82\xAC 12,50 \xF0\x9F\x8E\xB9 keys ";
    return text;
}

// --- append: build a text of state.range(0) pieces of 16 units -----------------------

void AppendStringT(benchmark::State& state)
{
    const KV::String piece(kPiece.c_str());
    for (auto _ : state)
    {
        KV::String text;
        for (int64_t i = 0; i < state.range(0); ++i)
            text.Append(piece);
        benchmark::DoNotOptimize(text.GetText());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The same while the string is locked: appends grow the buffer in place.
void AppendStringTLocked(benchmark::State& state)
{
    const KV::String piece(kPiece.c_str());
    for (auto _ : state)
    {
        KV::String text;
        text.Lock(1);
        for (int64_t i = 0; i < state.range(0); ++i)
            text.Append(piece);
        text.Unlock();
        benchmark::DoNotOptimize(text.GetText());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void AppendU16string(benchmark::State& state)
{
    for (auto _ : state)
    {
        std::u16string text;
        for (int64_t i = 0; i < state.range(0); ++i)
            text.append(kPiece);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// --- find: a needle at the very end of a text of state.range(0) units ---------------

void FindStringT(benchmark::State& state)
{
    const std::u16string raw = MakeText(static_cast<size_t>(state.range(0))) + u"NEEDLE";
    const KV::String text(raw.c_str());
    const KV::String needle(u"NEEDLE");
    for (auto _ : state)
        benchmark::DoNotOptimize(text.Find(needle));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(raw.size() * sizeof(char16_t)));
}

void FindU16string(benchmark::State& state)
{
    const std::u16string text = MakeText(static_cast<size_t>(state.range(0))) + u"NEEDLE";
    const std::u16string needle = u"NEEDLE";
    for (auto _ : state)
        benchmark::DoNotOptimize(text.find(needle));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size() * sizeof(char16_t)));
}

// --- compare: equal texts in separate buffers, and ordering by the last unit ----------

void CompareStringT(benchmark::State& state)
{
    const std::u16string raw = MakeText(static_cast<size_t>(state.range(0)));
    const KV::String a(raw.c_str());
    const KV::String b(raw.c_str()); // equal, but not sharing a buffer
    const KV::String c((raw + u"a").c_str());
    const KV::String d((raw + u"b").c_str());
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(a.Equals(b));
        benchmark::DoNotOptimize(c.IsLess(d));
    }
}

void CompareU16string(benchmark::State& state)
{
    const std::u16string raw = MakeText(static_cast<size_t>(state.range(0)));
    const std::u16string a = raw;
    const std::u16string b = raw;
    const std::u16string c = raw + u"a";
    const std::u16string d = raw + u"b";
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(a == b);
        benchmark::DoNotOptimize(c < d);
    }
}

// Copies that compare afterwards: the shared buffer answers at once.
void CopyAndCompareStringT(benchmark::State& state)
{
    const KV::String a(MakeText(static_cast<size_t>(state.range(0))).c_str());
    for (auto _ : state)
    {
        const KV::String copy(a);
        benchmark::DoNotOptimize(copy.Equals(a));
    }
}

void CopyAndCompareU16string(benchmark::State& state)
{
    const std::u16string a = MakeText(static_cast<size_t>(state.range(0)));
    for (auto _ : state)
    {
        const std::u16string copy(a);
        benchmark::DoNotOptimize(copy == a);
    }
}

// --- UTF-8 to UTF-16 and back, MB/s of UTF-8 -----------------------------------------

using Codecvt = std::codecvt<char16_t, char8_t, std::mbstate_t>;

const Codecvt& StandardFacet()
{
    return std::use_facet<Codecvt>(std::locale::classic());
}

void Utf8ToUtf16Transcode(benchmark::State& state)
{
    const std::string utf8 = MakeUtf8(static_cast<size_t>(state.range(0)));
    std::u16string out(utf8.size(), u'\0');
    for (auto _ : state)
    {
        const char* source = utf8.data();
        char16_t* target = out.data();
        KV::TranscodeUtf8ToUtf16(source, utf8.data() + utf8.size(), target, out.data() + out.size(),
                                 KV::TranscodeLenient);
        benchmark::DoNotOptimize(target);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(utf8.size()));
}

void Utf8ToUtf16StringT(benchmark::State& state)
{
    const std::string utf8 = MakeUtf8(static_cast<size_t>(state.range(0)));
    for (auto _ : state)
    {
        const KV::String wide(utf8.c_str());
        benchmark::DoNotOptimize(wide.GetText());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(utf8.size()));
}

void Utf8ToUtf16Codecvt(benchmark::State& state)
{
    const std::string utf8 = MakeUtf8(static_cast<size_t>(state.range(0)));
    const auto* from = reinterpret_cast<const char8_t*>(utf8.data());
    std::u16string out(utf8.size(), u'\0');
    const Codecvt& facet = StandardFacet();
    for (auto _ : state)
    {
        std::mbstate_t mb{};
        const char8_t* fromNext;
        char16_t* toNext;
        facet.in(mb, from, from + utf8.size(), fromNext, out.data(), out.data() + out.size(), toNext);
        benchmark::DoNotOptimize(toNext);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(utf8.size()));
}

std::u16string DecodedUtf16(const std::string& utf8)
{
    return std::u16string(KV::String(utf8.c_str()).View());
}

void Utf16ToUtf8Transcode(benchmark::State& state)
{
    const std::string utf8 = MakeUtf8(static_cast<size_t>(state.range(0)));
    const std::u16string wide = DecodedUtf16(utf8);
    std::string out(3 * wide.size(), '\0');
    for (auto _ : state)
    {
        const char16_t* source = wide.data();
        char* target = out.data();
        KV::TranscodeUtf16ToUtf8(source, wide.data() + wide.size(), target, out.data() + out.size(),
                                 KV::TranscodeLenient);
        benchmark::DoNotOptimize(target);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(utf8.size()));
}

void Utf16ToUtf8StringT(benchmark::State& state)
{
    const std::string utf8 = MakeUtf8(static_cast<size_t>(state.range(0)));
    const KV::String wide(utf8.c_str());
    for (auto _ : state)
    {
        const KV::NarrowString narrow = wide.ToNarrow();
        benchmark::DoNotOptimize(narrow.GetText());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(utf8.size()));
}

void Utf16ToUtf8Codecvt(benchmark::State& state)
{
    const std::string utf8 = MakeUtf8(static_cast<size_t>(state.range(0)));
    const std::u16string wide = DecodedUtf16(utf8);
    std::u8string out(3 * wide.size(), u8'\0');
    const Codecvt& facet = StandardFacet();
    for (auto _ : state)
    {
        std::mbstate_t mb{};
        const char16_t* fromNext;
        char8_t* toNext;
        facet.out(mb, wide.data(), wide.data() + wide.size(), fromNext, out.data(), out.data() + out.size(),
                  toNext);
        benchmark::DoNotOptimize(toNext);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(utf8.size()));
}

} // namespace

BENCHMARK(AppendStringT)->Arg(16)->Arg(256)->Arg(4096);
BENCHMARK(AppendStringTLocked)->Arg(16)->Arg(256)->Arg(4096);
BENCHMARK(AppendU16string)->Arg(16)->Arg(256)->Arg(4096);
BENCHMARK(FindStringT)->Arg(64)->Arg(4096);
BENCHMARK(FindU16string)->Arg(64)->Arg(4096);
BENCHMARK(CompareStringT)->Arg(16)->Arg(1024);
BENCHMARK(CompareU16string)->Arg(16)->Arg(1024);
BENCHMARK(CopyAndCompareStringT)->Arg(16)->Arg(1024);
BENCHMARK(CopyAndCompareU16string)->Arg(16)->Arg(1024);
BENCHMARK(Utf8ToUtf16Transcode)->Arg(64 << 10);
BENCHMARK(Utf8ToUtf16StringT)->Arg(64 << 10);
BENCHMARK(Utf8ToUtf16Codecvt)->Arg(64 << 10);
BENCHMARK(Utf16ToUtf8Transcode)->Arg(64 << 10);
BENCHMARK(Utf16ToUtf8StringT)->Arg(64 << 10);
BENCHMARK(Utf16ToUtf8Codecvt)->Arg(64 << 10);

BENCHMARK_MAIN();
