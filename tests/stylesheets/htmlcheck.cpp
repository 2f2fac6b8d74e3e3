#include "htmlcheck.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace htmlcheck {

namespace {

const char* const namespaces[][2] = {
    {"e", "http://www.edefter.gov.tr"},
    {"xbrli", "http://www.xbrl.org/2003/instance"},
    {"cor", "http://www.xbrl.org/int/gl/cor/2006-10-25"},
    {"bus", "http://www.xbrl.org/int/gl/bus/2006-10-25"},
    {"muc", "http://www.xbrl.org/int/gl/muc/2006-10-25"},
    {"ds", "http://www.w3.org/2000/09/xmldsig#"},
    {"xades", "http://uri.etsi.org/01903/v1.3.2#"},
};

struct XPathResult
{
    std::unique_ptr<xmlXPathContext, decltype(&xmlXPathFreeContext)> context{nullptr, xmlXPathFreeContext};
    std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)> object{nullptr, xmlXPathFreeObject};
};

XPathResult evaluate(xmlDoc* doc, const QString& xpath, xmlNode* context)
{
    XPathResult result;
    result.context.reset(xmlXPathNewContext(doc));
    for (const auto& ns : namespaces) {
        xmlXPathRegisterNs(result.context.get(), reinterpret_cast<const xmlChar*>(ns[0]),
                           reinterpret_cast<const xmlChar*>(ns[1]));
    }
    if (context) {
        result.context->node = context;
    }
    const QByteArray expression = xpath.toUtf8();
    result.object.reset(
        xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(expression.constData()), result.context.get()));
    return result;
}

void collectError(void* context, const char* format, ...)
{
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    static_cast<QString*>(context)->append(QString::fromUtf8(buffer));
}

} // namespace

Document Document::xml(const QByteArray& text)
{
    Document document;
    xmlDoc* doc = xmlReadMemory(text.constData(), int(text.size()), "ledger.xml", nullptr, XML_PARSE_NONET);
    if (doc) {
        document.m_doc.reset(doc, xmlFreeDoc);
    }
    return document;
}

Document Document::html(const QByteArray& text)
{
    Document document;
    xmlDoc* doc = htmlReadMemory(text.constData(), int(text.size()), "page.html", "UTF-8",
                                 HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING);
    if (doc) {
        document.m_doc.reset(doc, xmlFreeDoc);
    }
    return document;
}

std::vector<xmlNode*> Document::nodes(const QString& xpath, xmlNode* context) const
{
    std::vector<xmlNode*> found;
    const auto result = evaluate(m_doc.get(), xpath, context);
    if (result.object && result.object->type == XPATH_NODESET && result.object->nodesetval) {
        const xmlNodeSet* set = result.object->nodesetval;
        found.assign(set->nodeTab, set->nodeTab + set->nodeNr);
    }
    return found;
}

int Document::count(const QString& xpath, xmlNode* context) const
{
    return int(nodes(xpath, context).size());
}

QString Document::text(const QString& xpath, xmlNode* context) const
{
    const auto result = evaluate(m_doc.get(), QStringLiteral("normalize-space(%1)").arg(xpath), context);
    if (!result.object || result.object->type != XPATH_STRING) {
        return QStringLiteral("<XPath error: %1>").arg(xpath);
    }
    return QString::fromUtf8(reinterpret_cast<const char*>(result.object->stringval));
}

Transform transform(const QString& stylesheetPath, const QByteArray& ledger)
{
    Transform result;
    xsltSetGenericErrorFunc(&result.errors, collectError);
    xmlSetGenericErrorFunc(&result.errors, collectError);
    const QByteArray path = stylesheetPath.toLocal8Bit();
    xsltStylesheet* style = xsltParseStylesheetFile(reinterpret_cast<const xmlChar*>(path.constData()));
    xmlDoc* doc = xmlReadMemory(ledger.constData(), int(ledger.size()), "ledger.xml", nullptr, XML_PARSE_NONET);
    if (style && doc) {
        if (xmlDoc* out = xsltApplyStylesheet(style, doc, nullptr)) {
            xmlChar* buffer = nullptr;
            int size = 0;
            if (xsltSaveResultToString(&buffer, &size, out, style) == 0 && buffer) {
                result.html = QByteArray(reinterpret_cast<const char*>(buffer), size);
            }
            xmlFree(buffer);
            xmlFreeDoc(out);
        }
    }
    if (result.html.isEmpty()) {
        result.errors.append(QStringLiteral("no output"));
    }
    xmlFreeDoc(doc);
    if (style) {
        xsltFreeStylesheet(style);
    }
    xsltSetGenericErrorFunc(nullptr, nullptr);
    xmlSetGenericErrorFunc(nullptr, nullptr);
    return result;
}

QString turkishAmount(double value)
{
    const long long cents = std::llround(value * 100.0);
    const long long whole = std::llabs(cents) / 100;
    QString digits = QString::number(whole);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3) {
        digits.insert(i, QLatin1Char('.'));
    }
    return QStringLiteral("%1%2,%3")
        .arg(cents < 0 ? QStringLiteral("-") : QString(), digits)
        .arg(std::llabs(cents) % 100, 2, 10, QLatin1Char('0'));
}

QString turkishDate(const QString& isoDate)
{
    const QString d = isoDate.trimmed();
    return QStringLiteral("%1.%2.%3").arg(d.mid(8, 2), d.mid(5, 2), d.left(4));
}

} // namespace htmlcheck
