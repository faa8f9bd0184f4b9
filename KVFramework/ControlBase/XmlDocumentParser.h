#pragma once
// One pass of Expat over a whole XML document held in memory, reported as start tags
// with their attributes, end tags and pieces of character data, every text decoded
// to UTF-16. The document's declaration or byte-order mark decides its encoding, so
// UTF-8 and UTF-16 documents both read.

#include "Storage/StringT.h"

#include <cstdint>
#include <map>
#include <span>
#include <string_view>

namespace KV {

using XmlAttributes = std::map<String, String>;

class IXmlDocumentHandler
{
public:
    virtual void XmlStartElement(const String& name, const XmlAttributes& attributes) = 0;
    virtual void XmlEndElement(const String& name) = 0;
    // One piece of an element's text, in UTF-8 and never cut inside a character; Expat
    // may split one text into several pieces (at entity references and line ends). Left
    // undecoded: most pieces are the blanks between elements, which nobody reads.
    virtual void XmlCharacterData(std::string_view utf8) = 0;

protected:
    ~IXmlDocumentHandler() = default;
};

struct XmlParseError
{
    String mText; // the parser's message, or the text of the error a handler threw
    int32_t mLine = 0;
    String mElement; // the element being read when a handler threw; empty otherwise
};

// Larger documents are refused unread: no skin or string table comes near this.
inline constexpr size_t kMaxXmlDocumentBytes = 16u * 1024u * 1024u;

// S_OK when the whole document was read. E_FAIL for an empty, oversized or malformed
// document, and when a handler throws: the exception stops the parser (it never crosses
// Expat's frames) and `error` receives its text. Entities expand only within Expat's
// amplification limits; external entities are never loaded.
KVRESULT ParseXmlDocument(std::span<const unsigned char> document, IXmlDocumentHandler& handler,
                          XmlParseError& error);

} // namespace KV
