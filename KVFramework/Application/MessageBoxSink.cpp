#include "Application/MessageBoxSink.h"

#include <cstdio>
#include <string>

namespace KV {
namespace {

class StandardErrorMessageBoxes : public IMessageBoxSink
{
public:
    int32_t ShowMessageBox(const String& text, const String&, uint32_t) override
    {
        std::string line = NarrowString(text).GetText();
        // One box, one line: the breaks inside the text become blanks.
        for (char& c : line)
            if (c == '\n' || c == '\r')
                c = ' ';
        std::fprintf(stderr, "%s\n", line.c_str());
        std::fflush(stderr);
        return kMessageBoxAnswerOk;
    }
};

} // namespace

IMessageBoxSink& GetStandardErrorMessageBoxes()
{
    static StandardErrorMessageBoxes* sink = new StandardErrorMessageBoxes();
    return *sink;
}

} // namespace KV
