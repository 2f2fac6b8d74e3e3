#include "render/documentsearch.h"

#include "render/pageprotocol.h"

#include <QLocale>

namespace render {

namespace {

// Named character references an HTML serialiser writes; numeric ones are decoded generally.
QString decodeEntities(const QByteArray& raw)
{
    QString text = QString::fromUtf8(raw);
    if (!text.contains(QLatin1Char('&'))) {
        return text;
    }
    QString decoded;
    decoded.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype end = text.at(i) == QLatin1Char('&') ? text.indexOf(QLatin1Char(';'), i) : -1;
        if (end < 0 || end - i > 10) {
            decoded += text.at(i);
            continue;
        }
        const QStringView name = QStringView(text).mid(i + 1, end - i - 1);
        char32_t code = 0;
        if (name.startsWith(u"#x") || name.startsWith(u"#X")) {
            code = name.mid(2).toUInt(nullptr, 16);
        } else if (name.startsWith(u'#')) {
            code = name.mid(1).toUInt();
        } else if (name == u"amp") {
            code = '&';
        } else if (name == u"lt") {
            code = '<';
        } else if (name == u"gt") {
            code = '>';
        } else if (name == u"quot") {
            code = '"';
        } else if (name == u"apos") {
            code = '\'';
        } else if (name == u"nbsp") {
            code = 0xA0;
        }
        if (code == 0) {
            decoded += text.at(i);
            continue;
        }
        decoded += QString::fromUcs4(&code, 1);
        i = end;
    }
    return decoded;
}

int occurrences(const QString& folded, const QString& term)
{
    int count = 0;
    for (qsizetype at = folded.indexOf(term); at >= 0; at = folded.indexOf(term, at + term.size())) {
        ++count;
    }
    return count;
}

bool isSkippedElement(const QByteArray& tag)
{
    const QByteArray lower = tag.toLower();
    return lower == "script" || lower == "style" || lower == "title";
}

} // namespace

QString foldForSearch(const QString& text)
{
    static const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    QString folded = turkish.toLower(text);
    folded.replace(QChar(0x0131), QLatin1Char('i'));
    folded.remove(QChar(0x0307));
    return folded;
}

int countMatches(const QByteArray& html, const QString& term)
{
    const QString wanted = foldForSearch(term);
    if (wanted.isEmpty()) {
        return 0;
    }
    int count = 0;
    // Depth inside elements whose text is not shown or not searched; their own depth counts
    // the nested elements of the same name.
    int skipDepth = 0;
    QByteArray skipName;
    qsizetype i = 0;
    while (i < html.size()) {
        const qsizetype open = html.indexOf('<', i);
        const qsizetype textEnd = open < 0 ? html.size() : open;
        if (skipDepth == 0 && textEnd > i) {
            count += occurrences(foldForSearch(decodeEntities(html.mid(i, textEnd - i))), wanted);
        }
        if (open < 0) {
            break;
        }
        if (html.mid(open, 4) == "<!--") {
            const qsizetype close = html.indexOf("-->", open + 4);
            i = close < 0 ? html.size() : close + 3;
            continue;
        }
        const qsizetype close = html.indexOf('>', open);
        if (close < 0) {
            break;
        }
        const QByteArray tag = html.mid(open + 1, close - open - 1);
        i = close + 1;
        const bool closing = tag.startsWith('/');
        qsizetype nameEnd = closing ? 1 : 0;
        while (nameEnd < tag.size() && !QChar::isSpace(uchar(tag.at(nameEnd))) && tag.at(nameEnd) != '/') {
            ++nameEnd;
        }
        const QByteArray name = tag.mid(closing ? 1 : 0, nameEnd - (closing ? 1 : 0)).toLower();
        if (skipDepth > 0) {
            if (name == skipName) {
                skipDepth += closing ? -1 : (tag.endsWith('/') ? 0 : 1);
            }
            continue;
        }
        if (closing || tag.endsWith('/')) {
            continue;
        }
        if (tag.contains(protocol::kRepeat) || isSkippedElement(name)) {
            skipName = name;
            skipDepth = 1;
            if (isSkippedElement(name)) {
                // Raw text: nothing inside is a tag.
                const qsizetype end = html.indexOf("</" + name, i);
                i = end < 0 ? html.size() : end;
            }
        }
    }
    return count;
}

QList<int> countMatchesPerPiece(const QList<QByteArray>& pieces, const QString& term, const std::atomic_bool* cancel)
{
    QList<int> counts;
    counts.reserve(pieces.size());
    for (const QByteArray& piece : pieces) {
        if (cancel && cancel->load()) {
            break;
        }
        counts.append(countMatches(piece, term));
    }
    return counts;
}

} // namespace render
