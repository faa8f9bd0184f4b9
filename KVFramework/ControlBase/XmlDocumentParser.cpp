#include "XmlDocumentParser.h"

// Declares the entity-expansion limits, which the library is built with.
#define XML_DTD
#include <expat.h>

#include <exception>
#include <limits>
#include <memory>

namespace KV {

namespace {

// Entity expansion is checked from this much output on; a document of ours expands
// nothing, so a hostile one is stopped early.
constexpr unsigned long long kEntityCheckThresholdBytes = 64 * 1024;

String FromUtf8(const XML_Char* text)
{
    return String(text);
}

class ExpatPass
{
public:
    ExpatPass(IXmlDocumentHandler& handler, XmlParseError& error) : mHandler(handler), mError(error) {}

    KVRESULT Run(std::span<const unsigned char> document)
    {
        const std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> parser(XML_ParserCreate(nullptr),
                                                                                  &XML_ParserFree);
        if (!parser)
            return Fail(u"out of memory", 0);
        mParser = parser.get();
        XML_SetUserData(mParser, this);
        XML_SetElementHandler(mParser, &ExpatPass::OnStart, &ExpatPass::OnEnd);
        XML_SetCharacterDataHandler(mParser, &ExpatPass::OnCharacters);
        XML_SetBillionLaughsAttackProtectionActivationThreshold(mParser, kEntityCheckThresholdBytes);

        const XML_Status status = XML_Parse(mParser, reinterpret_cast<const char*>(document.data()),
                                            static_cast<int>(document.size()), XML_TRUE);
        if (mHandlerFailed)
            return E_FAIL; // the handler's error is recorded already
        if (status != XML_STATUS_OK)
            return Fail(String(XML_ErrorString(XML_GetErrorCode(mParser))), CurrentLine());
        return S_OK;
    }

private:
    static void XMLCALL OnStart(void* self, const XML_Char* name, const XML_Char** attributes)
    {
        static_cast<ExpatPass*>(self)->Guard(name, [&](IXmlDocumentHandler& handler) {
            XmlAttributes decoded;
            for (const XML_Char** pair = attributes; pair[0] && pair[1]; pair += 2)
                decoded.emplace(FromUtf8(pair[0]), FromUtf8(pair[1]));
            handler.XmlStartElement(FromUtf8(name), decoded);
        });
    }

    static void XMLCALL OnEnd(void* self, const XML_Char* name)
    {
        static_cast<ExpatPass*>(self)->Guard(
            name, [&](IXmlDocumentHandler& handler) { handler.XmlEndElement(FromUtf8(name)); });
    }

    static void XMLCALL OnCharacters(void* self, const XML_Char* text, int length)
    {
        static_cast<ExpatPass*>(self)->Guard(nullptr, [&](IXmlDocumentHandler& handler) {
            handler.XmlCharacterData(std::string_view(text, static_cast<size_t>(length)));
        });
    }

    // Runs one handler call; an exception stops the parser here instead of unwinding
    // through Expat, which is C and keeps its own state on those frames.
    template <class Call> void Guard(const XML_Char* element, Call&& call) noexcept
    {
        if (mHandlerFailed)
            return;
        try
        {
            call(mHandler);
            return;
        }
        catch (const std::exception& failure)
        {
            RecordHandlerFailure(String(failure.what()), element);
        }
        catch (...)
        {
            RecordHandlerFailure(String(u"unknown error"), element);
        }
        XML_StopParser(mParser, XML_FALSE);
    }

    void RecordHandlerFailure(const String& text, const XML_Char* element) noexcept
    {
        mHandlerFailed = true;
        try
        {
            Fail(text, CurrentLine());
            if (element)
                mError.mElement = FromUtf8(element);
        }
        catch (...)
        {
            // No memory for the text: the failure itself still counts.
        }
    }

    KVRESULT Fail(const String& text, int32_t line)
    {
        mError.mText = text;
        mError.mLine = line;
        mError.mElement.Clear();
        return E_FAIL;
    }

    int32_t CurrentLine() const
    {
        const XML_Size line = XML_GetCurrentLineNumber(mParser);
        return line > static_cast<XML_Size>(std::numeric_limits<int32_t>::max())
                   ? std::numeric_limits<int32_t>::max()
                   : static_cast<int32_t>(line);
    }

    IXmlDocumentHandler& mHandler;
    XmlParseError& mError;
    XML_Parser mParser = nullptr;
    bool mHandlerFailed = false;
};

} // namespace

KVRESULT ParseXmlDocument(std::span<const unsigned char> document, IXmlDocumentHandler& handler,
                          XmlParseError& error)
{
    if (document.empty())
    {
        error = {String(u"empty document"), 0, String()};
        return E_FAIL;
    }
    if (document.size() > kMaxXmlDocumentBytes)
    {
        error = {String(u"document larger than 16 MiB"), 0, String()};
        return E_FAIL;
    }
    return ExpatPass(handler, error).Run(document);
}

} // namespace KV
