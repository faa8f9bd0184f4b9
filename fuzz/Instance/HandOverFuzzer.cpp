// Feeds arbitrary bytes to the reader of a handed-over command line, in pieces whose
// sizes the first byte chooses, as they arrive from the socket. Besides memory errors
// it checks what must hold for any input: the reader never wants more than the limit,
// and a complete text is within the limit, has no zero byte, and is read the same
// whatever the pieces.

#include "Platform/Instance/HandOverMessage.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using KV::Platform::HandOverReader;
    if (size == 0)
        return 0;
    const size_t piece = data[0] % 16 + 1;
    const auto* bytes = reinterpret_cast<const char*>(data + 1);
    const size_t count = size - 1;

    HandOverReader whole;
    whole.Feed(bytes, count);
    HandOverReader pieces;
    for (size_t at = 0; at < count; at += piece)
    {
        Require(pieces.GetWanted() <=
                KV::Platform::kMaxHandOverTextBytes + KV::Platform::kHandOverHeaderBytes);
        pieces.Feed(bytes + at, std::min(piece, count - at));
    }
    Require(whole.GetState() == pieces.GetState());
    if (whole.GetState() == HandOverReader::State::Complete)
    {
        Require(whole.GetText() == pieces.GetText());
        Require(whole.GetText().size() <= KV::Platform::kMaxHandOverTextBytes);
        Require(whole.GetText().find('\0') == std::string::npos);
    }
    return 0;
}
