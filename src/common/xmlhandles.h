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

// Frees with the libxml2 or libxslt function that goes with the object.
template <auto& free>
struct FreeWith
{
    template <typename T>
    void operator()(T* object) const
    {
        free(object);
    }
};

// xmlFree is a variable (or a macro) holding the allocator's free, not a function of its own.
struct FreeXmlChars
{
    void operator()(xmlChar* text) const { xmlFree(text); }
};

using XmlDoc = std::unique_ptr<xmlDoc, FreeWith<xmlFreeDoc>>;
using XmlParserContext = std::unique_ptr<xmlParserCtxt, FreeWith<xmlFreeParserCtxt>>;
using XmlTextReader = std::unique_ptr<xmlTextReader, FreeWith<xmlFreeTextReader>>;
using XmlXPathContext = std::unique_ptr<xmlXPathContext, FreeWith<xmlXPathFreeContext>>;
using XmlXPathObject = std::unique_ptr<xmlXPathObject, FreeWith<xmlXPathFreeObject>>;
// Text libxml2 hands over to the caller (xmlNodeGetContent, xmlGetProp, …).
using XmlChars = std::unique_ptr<xmlChar, FreeXmlChars>;
// Closing flushes what is still buffered into the buffer's sink, which must still be there.
using XmlOutputBuffer = std::unique_ptr<xmlOutputBuffer, FreeWith<xmlOutputBufferClose>>;
// Once xsltParseStylesheetDoc succeeded, the stylesheet owns the document it was parsed from.
using XsltStylesheet = std::unique_ptr<xsltStylesheet, FreeWith<xsltFreeStylesheet>>;
using XsltTransformContext = std::unique_ptr<xsltTransformContext, FreeWith<xsltFreeTransformContext>>;

} // namespace common
