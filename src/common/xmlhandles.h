#pragma once

// Owners for libxml2 and libxslt objects, so that every exit path frees what it made. Header
// only: the layers that include it link libxml2 and libxslt themselves.

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlIO.h>
#include <libxml/xmlreader.h>
#include <libxml/xpath.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>

#include <memory>

namespace common {

namespace xmlfree {
struct Doc
{
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
struct ParserContext
{
    void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};
struct TextReader
{
    void operator()(xmlTextReader* reader) const { xmlFreeTextReader(reader); }
};
struct XPathContext
{
    void operator()(xmlXPathContext* context) const { xmlXPathFreeContext(context); }
};
struct XPathObject
{
    void operator()(xmlXPathObject* object) const { xmlXPathFreeObject(object); }
};
struct Chars
{
    void operator()(xmlChar* text) const { xmlFree(text); }
};
struct OutputBuffer
{
    void operator()(xmlOutputBuffer* buffer) const { xmlOutputBufferClose(buffer); }
};
struct Stylesheet
{
    void operator()(xsltStylesheet* style) const { xsltFreeStylesheet(style); }
};
struct TransformContext
{
    void operator()(xsltTransformContext* context) const { xsltFreeTransformContext(context); }
};
} // namespace xmlfree

using XmlDoc = std::unique_ptr<xmlDoc, xmlfree::Doc>;
using XmlParserContext = std::unique_ptr<xmlParserCtxt, xmlfree::ParserContext>;
using XmlTextReader = std::unique_ptr<xmlTextReader, xmlfree::TextReader>;
using XmlXPathContext = std::unique_ptr<xmlXPathContext, xmlfree::XPathContext>;
using XmlXPathObject = std::unique_ptr<xmlXPathObject, xmlfree::XPathObject>;
// Text libxml2 hands over to the caller (xmlNodeGetContent, xmlGetProp, …).
using XmlChars = std::unique_ptr<xmlChar, xmlfree::Chars>;
// Closing flushes what is still buffered into the buffer's sink, which must still be there.
using XmlOutputBuffer = std::unique_ptr<xmlOutputBuffer, xmlfree::OutputBuffer>;
// Once xsltParseStylesheetDoc succeeded, the stylesheet owns the document it was parsed from.
using XsltStylesheet = std::unique_ptr<xsltStylesheet, xmlfree::Stylesheet>;
using XsltTransformContext = std::unique_ptr<xsltTransformContext, xmlfree::TransformContext>;

} // namespace common
