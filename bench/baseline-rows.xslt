<?xml version="1.0" encoding="UTF-8"?>
<!-- Baseline for transform benchmarks: every line of a journal (yevmiye) or general ledger (kebir)
     becomes one table row of its fields, nothing else. XSLT 1.0, no extension functions; elements
     are matched by namespace URI through this file's own prefixes, never by the document's. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
                xmlns:xbrli="http://www.xbrl.org/2003/instance"
                xmlns:cor="http://www.xbrl.org/int/gl/cor/2006-10-25"
                exclude-result-prefixes="xbrli cor">
  <xsl:output method="html" encoding="UTF-8" doctype-public="-//W3C//DTD HTML 4.01//EN"/>

  <xsl:template match="/">
    <html>
      <head>
        <title>Satırlar</title>
      </head>
      <body>
        <table>
          <thead>
            <tr>
              <th>Madde No</th><th>Madde Tarihi</th><th>Satır No</th><th>Hesap Kodu</th><th>Hesap Adı</th>
              <th>Alt Hesap Kodu</th><th>Alt Hesap Adı</th><th>Tutar</th><th>B/A</th><th>Kayıt Tarihi</th>
              <th>Belge Türü</th><th>Belge No</th><th>Belge Tarihi</th><th>Açıklama</th>
            </tr>
          </thead>
          <tbody>
            <xsl:apply-templates select="/*/xbrli:xbrl/cor:accountingEntries/cor:entryHeader/cor:entryDetail"/>
          </tbody>
        </table>
      </body>
    </html>
  </xsl:template>

  <xsl:template match="cor:entryDetail">
    <tr>
      <td><xsl:value-of select="../cor:entryNumber"/></td>
      <td><xsl:value-of select="../cor:enteredDate"/></td>
      <td><xsl:value-of select="cor:lineNumber"/></td>
      <td><xsl:value-of select="cor:account/cor:accountMainID"/></td>
      <td><xsl:value-of select="cor:account/cor:accountMainDescription"/></td>
      <td><xsl:value-of select="cor:account/cor:accountSub/cor:accountSubID"/></td>
      <td><xsl:value-of select="cor:account/cor:accountSub/cor:accountSubDescription"/></td>
      <td><xsl:value-of select="cor:amount"/></td>
      <td><xsl:value-of select="cor:debitCreditCode"/></td>
      <td><xsl:value-of select="cor:postingDate"/></td>
      <td><xsl:value-of select="cor:documentType"/></td>
      <td><xsl:value-of select="cor:documentNumber"/></td>
      <td><xsl:value-of select="cor:documentDate"/></td>
      <td><xsl:value-of select="cor:detailComment"/></td>
    </tr>
  </xsl:template>
</xsl:stylesheet>
