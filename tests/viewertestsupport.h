#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTest>
#include <QVariant>

#include <functional>

// Small ledgers written by the tests themselves: an XML file naming its stylesheet, and the
// stylesheet beside it.
namespace viewertest {

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes);
    }
}

inline QByteArray ledgerXml(const QByteArray& stylesheet, const QByteArray& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><?xml-stylesheet type=\"text/xsl\" href=\"" + stylesheet +
           "\"?>\n<defter>" + body + "</defter>\n";
}

// Title and body taken from the document; `extraHead` lands in <head>.
inline QByteArray stylesheet(const QByteArray& extraHead = {}, const QByteArray& extraBody = {})
{
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
<xsl:output method="html" encoding="UTF-8"/>
<xsl:template match="/">
<html><head><title><xsl:value-of select="/defter/@title"/></title>)" +
           extraHead + R"(</head>
<body><p id="text"><xsl:value-of select="/defter/p"/></p>)" +
           extraBody + R"(</body></html>
</xsl:template>
</xsl:stylesheet>
)";
}

// A stylesheet that takes a while: every item compared with every other.
inline QByteArray slowStylesheet()
{
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
<xsl:output method="html" encoding="UTF-8"/>
<xsl:template match="/">
<html><head><title>yavaş</title></head><body><p id="text">yavaş belge</p>
<xsl:for-each select="//n"><xsl:if test="count(//n[. = current()]) = 0">x</xsl:if></xsl:for-each>
</body></html>
</xsl:template>
</xsl:stylesheet>
)";
}

inline QByteArray slowBody(int items)
{
    QByteArray body;
    for (int i = 0; i < items; ++i) {
        body += "<n>" + QByteArray::number(i) + "</n>";
    }
    return body;
}

// Page after page of numbered rows, on A4 with margins of its own.
inline QByteArray rowsStylesheet()
{
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
<xsl:output method="html" encoding="UTF-8"/>
<xsl:template match="/">
<html><head><title>Sayfalar</title><style>@page { size: A4; margin: 15mm } p { margin: 0 0 4mm }</style></head>
<body><xsl:for-each select="//n"><p><xsl:value-of select="."/></p></xsl:for-each></body></html>
</xsl:template>
</xsl:stylesheet>
)";
}

// A ledger of numbered records, each of a few lines, as large ledgers are shaped.
inline QByteArray recordsLedger(int records, int linesPerRecord = 3)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><?xml-stylesheet type=\"text/xsl\" "
                     "href=\"kayitlar.xslt\"?>\n<defter xmlns:g=\"urn:g\"><g:accountingEntries>";
    for (int r = 1; r <= records; ++r) {
        xml += "<g:entryHeader n=\"" + QByteArray::number(r) + "\">";
        for (int l = 1; l <= linesPerRecord; ++l) {
            xml += "<g:entryDetail>" + QByteArray(150, 'x') + "</g:entryDetail>";
        }
        xml += "</g:entryHeader>\n";
    }
    return xml + "</g:accountingEntries></defter>\n";
}

// Entries and their lines as cells "m<record>l<line>", a grand total after them; comparing every
// record with every other makes the whole ledger slow while its beginning stays quick.
inline QByteArray recordsStylesheet()
{
    return R"xsl(<?xml version="1.0" encoding="UTF-8"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform" xmlns:g="urn:g">
<xsl:output method="html" encoding="UTF-8"/>
<xsl:template match="/">
<html><head><title>Kayıtlar</title></head><body>
<div class="ust"><h1>YEVMİYE DEFTERİ</h1></div>
<table class="sayfa"><thead><tr><th>Madde</th></tr></thead>
<xsl:for-each select="//g:entryHeader">
<tbody class="madde"><xsl:for-each select="g:entryDetail"><tr><td>m<xsl:value-of select="../@n"/>l<xsl:value-of
select="position()"/></td></tr></xsl:for-each><xsl:if test="count(//g:entryHeader[@n = current()/@n]) &gt; 1"><tr>
<td>çift</td></tr></xsl:if></tbody>
</xsl:for-each>
<tbody class="toplam"><tr><td id="genel">Genel Toplam <xsl:value-of select="count(//g:entryHeader)"/></td></tr></tbody>
</table></body></html>
</xsl:template>
</xsl:stylesheet>
)xsl";
}

inline QString urlText(const QString& folder, const QString& name)
{
    return QStringLiteral("file://") + QDir::fromNativeSeparators(folder) + QLatin1Char('/') + name;
}

// The result of a script that `run` starts, handing it the callback; waits up to ten seconds.
inline QVariant scriptResult(const std::function<void(const std::function<void(const QVariant&)>&)>& run)
{
    QVariant result;
    bool done = false;
    run([&](const QVariant& value) {
        result = value;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10000)) {
        qWarning("script gave no result in time");
    }
    return result;
}

} // namespace viewertest
