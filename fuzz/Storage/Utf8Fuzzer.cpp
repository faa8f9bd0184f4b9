// Feeds arbitrary bytes to the UTF-8 decoder and to the wide string built from UTF-8.
// Besides memory errors it checks what must hold for any input: the decoder stops at a
// character boundary, what it decoded encodes back to exactly the bytes it consumed,
// a smaller target gives a prefix of the same result, and the string holds the text
// decoded before the first zero byte or invalid sequence.

#include "Storage/StringT.h"
#include "Storage/Transcode.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace KV;

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

struct Decoded
{
    TranscodeResult result;
    std::u16string units;
    size_t consumed;
};

Decoded Decode(const char* data, size_t size, size_t room, TranscodeMode mode)
{
    std::vector<char16_t> out(room);
    const char* source = data;
    char16_t* target = out.data();
    const TranscodeResult result = TranscodeUtf8ToUtf16(source, data + size, target, out.data() + room, mode);
    Require(source >= data && source <= data + size);
    Require(target >= out.data() && target <= out.data() + room);
    return {result, std::u16string(out.data(), target), static_cast<size_t>(source - data)};
}

std::string Encode(const std::u16string& units)
{
    std::string out(3 * units.size(), '\0');
    const char16_t* source = units.data();
    char* target = out.data();
    Require(TranscodeUtf16ToUtf8(source, units.data() + units.size(), target, out.data() + out.size(),
                                 TranscodeStrict) == TranscodeOk);
    out.resize(static_cast<size_t>(target - out.data()));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const char* data = reinterpret_cast<const char*>(bytes);

    const Decoded full = Decode(data, size, size, TranscodeStrict);
    Require(full.result != TranscodeTargetExhausted); // one unit per byte always suffices
    Require((full.result == TranscodeOk) == (full.consumed == size));
    Require(Encode(full.units) == std::string(data, full.consumed));

    // Both modes agree on UTF-8 input.
    const Decoded lenient = Decode(data, size, size, TranscodeLenient);
    Require(lenient.result == full.result && lenient.units == full.units);

    // A smaller target stops at a character boundary with a prefix of the same text.
    const size_t room = size / 3;
    const Decoded cut = Decode(data, size, room, TranscodeStrict);
    Require(full.units.compare(0, cut.units.size(), cut.units) == 0);
    if (cut.result == TranscodeTargetExhausted)
        Require(cut.units.size() + 2 >= room && cut.consumed < full.consumed + 1);

    // The string from the zero-terminated text: what decodes before the first zero byte
    // or the first invalid sequence, and nothing else.
    const std::string text(data, size);
    const String wide(text.c_str());
    const Decoded terminated =
        Decode(text.c_str(), std::char_traits<char>::length(text.c_str()), size, TranscodeLenient);
    Require(wide.View() == std::u16string_view(terminated.units));
    Require(wide.GetLength() == static_cast<int32_t>(wide.View().size()));
    const NarrowString narrow = wide.ToNarrow();
    Require(std::string(narrow.GetText()) == text.substr(0, terminated.consumed));
    return 0;
}
