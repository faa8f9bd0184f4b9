#include "Application/MessageBoxSink.h"

#include "Application/FrameworkApp.h"
#include "Application/OSWindow.h"
#include "Platform/Dialogs/MessageDialog.h"
#include "Platform/Window/WindowEventSource.h"

#include <cstdio>
#include <memory>
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

Platform::MessageKind KindOf(uint32_t flags)
{
    switch (flags & 0xF0)
    {
    case kMessageBoxIconError:
        return Platform::MessageKind::Error;
    case kMessageBoxIconWarning:
        return Platform::MessageKind::Warning;
    default:
        return Platform::MessageKind::Information;
    }
}

class DesktopMessageBoxes : public IMessageBoxSink
{
public:
    int32_t ShowMessageBox(const String& text, const String& caption, uint32_t flags) override
    {
        GetStandardErrorMessageBoxes().ShowMessageBox(text, caption, flags);
        if (!Platform::HasDisplay())
            return kMessageBoxAnswerOk;
        Platform::MessageRequest request;
        request.text = NarrowString(text).GetText();
        request.caption = NarrowString(caption).GetText();
        request.kind = KindOf(flags);
        request.owner = OSWindow::GetDialogOwner();
        if (request.owner != 0)
        {
            // The windows go on painting and taking notifications while the box is open.
            Platform::WindowEventSource* source = &Platform::GetWindowEventSource();
            if (std::unique_ptr<Platform::DialogProgramRun> run =
                    Platform::StartMessageDialog(request, [source] { source->Wake(); }))
            {
                OSWindow::RunDisabledLoop([&run] { return run->HasEnded(); });
                return kMessageBoxAnswerOk;
            }
        }
        else if (std::unique_ptr<Platform::DialogProgramRun> run = Platform::StartMessageDialog(request, {}))
        {
            std::string answer;
            run->Finish(answer);
            return kMessageBoxAnswerOk;
        }
        Platform::ShowMessageDialogAndWait(request);
        return kMessageBoxAnswerOk;
    }
};

} // namespace

IMessageBoxSink& GetDesktopMessageBoxes()
{
    static DesktopMessageBoxes* sink = new DesktopMessageBoxes();
    return *sink;
}

IMessageBoxSink& GetStandardErrorMessageBoxes()
{
    static StandardErrorMessageBoxes* sink = new StandardErrorMessageBoxes();
    return *sink;
}

} // namespace KV
