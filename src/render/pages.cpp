#include "render/pages.h"

#include "common/xmlhandles.h"
#include "render/failure.h"

#include <QDir>

#include <cstring>

namespace render {

namespace {

QString hint(FailureKind kind)
{
    switch (kind) {
    case FailureKind::Unreadable:
        return QStringLiteral("Dosyanın yerinde durduğundan ve okuma izniniz olduğundan emin olun.");
    case FailureKind::NotWellFormed:
        return QStringLiteral("Dosya bozuk ya da eksik kopyalanmış olabilir; defteri oluşturan programdan yeniden "
                              "alın.");
    case FailureKind::StylesheetMissing:
        return QStringLiteral("Stil sayfasını defterin bulunduğu klasöre kopyalayın.");
    case FailureKind::StylesheetInvalid:
        return QStringLiteral("Stil sayfası dosyası bozuk; programın kendi stil sayfasını defterin yanına "
                              "kopyalayabilirsiniz.");
    case FailureKind::TransformFailed:
        return QStringLiteral("Stil sayfası bu defteri işlerken hata verdi.");
    case FailureKind::Refused:
        return QStringLiteral("Dosya, e-Defter dosyalarında bulunmayan ve zararlı olabilecek bir işlem istiyor; bu "
                              "yüzden gösterilmedi. Dosyanın kaynağını kontrol edin.");
    case FailureKind::Cancelled:
        return QStringLiteral("Görüntüleme yarıda bırakıldı.");
    case FailureKind::TooLarge:
        return QStringLiteral("Açık programları kapatıp yeniden deneyin ya da defteri belleği daha büyük bir "
                              "bilgisayarda açın. Excel'e aktarma bu sınıra takılmaz.");
    }
    return {};
}

QString position(int line, int column)
{
    if (line <= 0) {
        return {};
    }
    if (column <= 0) {
        return QStringLiteral(" (satır %1)").arg(line);
    }
    return QStringLiteral(" (satır %1, sütun %2)").arg(line).arg(column);
}

} // namespace

QString failureHeading(const RenderFailure& failure)
{
    switch (failure.kind) {
    case FailureKind::Unreadable:
        return QStringLiteral("Dosya okunamadı");
    case FailureKind::NotWellFormed:
        return QStringLiteral("XML biçimi bozuk") + position(failure.line, failure.column);
    case FailureKind::StylesheetMissing:
        return QStringLiteral("Stil sayfası bulunamadı");
    case FailureKind::StylesheetInvalid:
        return QStringLiteral("Stil sayfası derlenemedi") + position(failure.line, failure.column);
    case FailureKind::TransformFailed:
        return QStringLiteral("Dönüştürme hatası");
    case FailureKind::Refused:
        return QStringLiteral("Güvenlik nedeniyle reddedildi");
    case FailureKind::Cancelled:
        return QStringLiteral("İşlem iptal edildi");
    case FailureKind::TooLarge:
        return QStringLiteral("Defter bu bilgisayarın boş belleği için çok büyük");
    }
    return {};
}

QString RenderFailure::message() const
{
    return QStringLiteral("%1: %2").arg(failureHeading(*this), reason);
}

QByteArray failurePage(const RenderFailure& failure)
{
    const QString heading = failureHeading(failure).toHtmlEscaped();
    const QString file = QDir::toNativeSeparators(failure.file).toHtmlEscaped();
    QString page =
        QStringLiteral(
            "<!DOCTYPE html>\n<html lang=\"tr\"><head><meta charset=\"utf-8\"><title>%1</title>\n"
            "<style>body{font-family:sans-serif;margin:2em;color:#222;max-width:60em}"
            "h1{color:#a40000;font-size:1.5em;border-bottom:2px solid #a40000;padding-bottom:.3em}"
            ".dosya{font-family:monospace;word-break:break-all;background:#f3f3f3;padding:.1em .3em}"
            "pre{white-space:pre-wrap;word-break:break-word;background:#f7f7f7;border:1px solid #ddd;padding:1em}"
            ".ipucu{color:#555}</style></head>\n<body>\n<h1>%1</h1>\n<p>Dosya: <span class=\"dosya\">%2</span></p>\n")
            .arg(heading, file);
    if (!failure.reason.isEmpty()) {
        page += QStringLiteral("<p>Neden:</p>\n<pre>%1</pre>\n").arg(failure.reason.toHtmlEscaped());
    }
    page += QStringLiteral("<p class=\"ipucu\">%1</p>\n</body></html>\n").arg(hint(failure.kind).toHtmlEscaped());
    return page.toUtf8();
}

namespace detail {

namespace {

constexpr qsizetype kLongText = 2048;   // longer texts are shortened…
constexpr qsizetype kShownOfLong = 160; // …to this many bytes

void appendEscaped(QByteArray& out, const char* text, qsizetype length)
{
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < length; ++i) {
        const char* replacement = nullptr;
        switch (text[i]) {
        case '<':
            replacement = "&lt;";
            break;
        case '>':
            replacement = "&gt;";
            break;
        case '&':
            replacement = "&amp;";
            break;
        case '"':
            replacement = "&quot;";
            break;
        default:
            continue;
        }
        out.append(text + runStart, i - runStart);
        out.append(replacement);
        runStart = i + 1;
    }
    out.append(text + runStart, length - runStart);
}

void appendEscaped(QByteArray& out, const xmlChar* text)
{
    if (text != nullptr) {
        appendEscaped(out, reinterpret_cast<const char*>(text),
                      qsizetype(std::strlen(reinterpret_cast<const char*>(text))));
    }
}

// Cuts at a character boundary, so the shortened text stays valid UTF-8.
void appendShortened(QByteArray& out, const xmlChar* text)
{
    const auto* bytes = reinterpret_cast<const char*>(text);
    const qsizetype length = qsizetype(std::strlen(bytes));
    if (length <= kLongText) {
        appendEscaped(out, bytes, length);
        return;
    }
    qsizetype cut = kShownOfLong;
    while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    appendEscaped(out, bytes, cut);
    out.append("<span class=\"k\"> … (");
    out.append(QByteArray::number(length - cut));
    out.append(" bayt daha, gösterilmiyor)</span>");
}

bool isBlank(const xmlChar* text)
{
    for (; text != nullptr && *text != 0; ++text) {
        if (*text != ' ' && *text != '\t' && *text != '\n' && *text != '\r') {
            return false;
        }
    }
    return true;
}

void appendName(QByteArray& out, xmlNodePtr node)
{
    if (node->ns != nullptr && node->ns->prefix != nullptr) {
        appendEscaped(out, node->ns->prefix);
        out.append(':');
    }
    appendEscaped(out, node->name);
}

void appendAttributeValue(QByteArray& out, xmlAttrPtr attribute)
{
    xmlNodePtr value = attribute->children;
    if (value != nullptr && value->next == nullptr && value->type == XML_TEXT_NODE) {
        appendShortened(out, value->content);
        return;
    }
    const common::XmlChars text(xmlNodeListGetString(attribute->doc, value, 1));
    appendShortened(out, text.get());
}

void appendStartTag(QByteArray& out, xmlNodePtr element, bool empty)
{
    out.append("<span class=\"t\">&lt;");
    appendName(out, element);
    out.append("</span>");
    for (xmlNsPtr ns = element->nsDef; ns != nullptr; ns = ns->next) {
        out.append(" <span class=\"n\">xmlns");
        if (ns->prefix != nullptr) {
            out.append(':');
            appendEscaped(out, ns->prefix);
        }
        out.append("</span>=<span class=\"v\">\"");
        appendEscaped(out, ns->href);
        out.append("\"</span>");
    }
    for (xmlAttrPtr attribute = element->properties; attribute != nullptr; attribute = attribute->next) {
        out.append(" <span class=\"n\">");
        appendName(out, reinterpret_cast<xmlNodePtr>(attribute));
        out.append("</span>=<span class=\"v\">\"");
        appendAttributeValue(out, attribute);
        out.append("\"</span>");
    }
    out.append(empty ? "<span class=\"t\">/&gt;</span>" : "<span class=\"t\">&gt;</span>");
}

void appendEndTag(QByteArray& out, xmlNodePtr element)
{
    out.append("<span class=\"t\">&lt;/");
    appendName(out, element);
    out.append("&gt;</span>");
}

bool onlyText(xmlNodePtr element)
{
    return element->children != nullptr && element->children->next == nullptr &&
           element->children->type == XML_TEXT_NODE;
}

// Returns whether the tree page descends into the node's children.
bool appendOpening(QByteArray& out, xmlNodePtr node)
{
    switch (node->type) {
    case XML_ELEMENT_NODE:
        out.append("<div class=\"e\">");
        if (node->children == nullptr) {
            appendStartTag(out, node, true);
            out.append("</div>\n");
            return false;
        }
        appendStartTag(out, node, false);
        if (onlyText(node)) {
            appendShortened(out, node->children->content);
            appendEndTag(out, node);
            out.append("</div>\n");
            return false;
        }
        out.append('\n');
        return true;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
        if (!isBlank(node->content)) {
            out.append("<div class=\"e\">");
            appendShortened(out, node->content);
            out.append("</div>\n");
        }
        return false;
    case XML_COMMENT_NODE:
        out.append("<div class=\"e c\">&lt;!--");
        appendShortened(out, node->content);
        out.append("--&gt;</div>\n");
        return false;
    case XML_PI_NODE:
        out.append("<div class=\"e k\">&lt;?");
        appendEscaped(out, node->name);
        out.append(' ');
        appendShortened(out, node->content);
        out.append("?&gt;</div>\n");
        return false;
    default:
        return false;
    }
}

void appendClosing(QByteArray& out, xmlNodePtr element)
{
    appendEndTag(out, element);
    out.append("</div>\n");
}

} // namespace

QByteArray xmlTreePage(xmlDocPtr doc, const QString& path)
{
    QByteArray out;
    out.append("<!DOCTYPE html>\n<html lang=\"tr\"><head><meta charset=\"utf-8\"><title>");
    out.append(QDir::toNativeSeparators(path).toHtmlEscaped().toUtf8());
    out.append("</title>\n<style>body{font:13px/1.45 monospace;margin:1em;color:#222}"
               ".e{margin-left:1.6em;word-break:break-all}body>.e{margin-left:0}.t{color:#881280}.n{color:#994500}"
               ".v{color:#1a1aa6}.c{color:#236e25}.k{color:#777;font-style:italic}"
               ".not{font-family:sans-serif;color:#555;border-bottom:1px solid #ccc;padding-bottom:.5em}"
               "</style></head>\n<body>\n<p class=\"not\">Bu belge bir stil sayfası belirtmiyor; içeriği XML "
               "ağacı olarak gösteriliyor.</p>\n");

    // Iterative, so no document is too deep for the stack.
    xmlNodePtr node = doc->children;
    while (node != nullptr) {
        if (appendOpening(out, node)) {
            node = node->children;
            continue;
        }
        while (node != nullptr && node->next == nullptr) {
            node = node->parent;
            if (node == nullptr || node == reinterpret_cast<xmlNodePtr>(doc)) {
                node = nullptr;
                break;
            }
            appendClosing(out, node);
        }
        if (node != nullptr) {
            node = node->next;
        }
    }
    out.append("</body></html>\n");
    return out;
}

} // namespace detail

} // namespace render
