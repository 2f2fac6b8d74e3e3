<?xml version="1.0" encoding="UTF-8"?>
<!--
  The program's mizan (trial balance) over months of a taxpayer's journals as a printable A4
  portrait document: the months read and those missing, then one table of accounts with their
  debit and credit sums and balances, the grand total last.

  Below the title the table sits alone in a div, so that the viewer's cutter cuts it by its rows
  with the column headers repeated. The rows carry their level in an attribute, not a class: the
  cutter takes a class first met at the table's end for a total, and the last accounts may be the
  only sub-accounts. Only the grand total has a class of its own.

  Amounts as 1.234.567,89; a zero in an account's row is left empty, every total is written.
-->
<xsl:stylesheet version="1.0"
    xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:k="http://verazidedaze.pelvora.example/ns/klasor-denetimi"
    exclude-result-prefixes="k">

  <xsl:output method="html" encoding="UTF-8" indent="no" doctype-system="about:legacy-compat"/>
  <!-- NaN="" leaves an unreadable amount to be shown as written. -->
  <xsl:decimal-format name="tr" decimal-separator="," grouping-separator="." NaN="" minus-sign="-"/>

  <xsl:variable name="mizan" select="/k:mizan"/>
  <xsl:variable name="donem" select="concat($mizan/@from, ' – ', $mizan/@to)"/>

  <xsl:template match="/">
    <html lang="tr">
      <head>
        <title><xsl:value-of select="concat('Mizan – ', $mizan/@taxpayer, ' – ', $donem)"/></title>
        <style><xsl:call-template name="stil"/></style>
      </head>
      <body>
        <table class="duzen">
          <thead>
            <tr class="bosluk ust">
              <td>
                <xsl:value-of select="concat('Mizan · ', $mizan/@taxpayer, ' · ', $donem, ' · ', $mizan/@made-text)"/>
              </td>
            </tr>
          </thead>
          <tfoot>
            <tr class="bosluk alt"><td></td></tr>
          </tfoot>
          <tbody>
            <tr>
              <td class="icerik"><xsl:call-template name="icerik"/></td>
            </tr>
          </tbody>
        </table>
      </body>
    </html>
  </xsl:template>

  <xsl:template name="icerik">
    <h1>Mizan</h1>
    <table class="kimlik">
      <tr><th>VKN/TCKN:</th><td><xsl:value-of select="$mizan/@taxpayer"/></td></tr>
      <tr><th>Dönem:</th><td><xsl:value-of select="$donem"/></td></tr>
      <tr>
        <th>Okunan aylar:</th>
        <td class="aylar">
          <xsl:for-each select="$mizan/k:period">
            <xsl:if test="position() &gt; 1">, </xsl:if>
            <xsl:value-of select="."/>
          </xsl:for-each>
          <xsl:if test="not($mizan/k:period)">yok</xsl:if>
        </td>
      </tr>
      <tr><th>Oluşturma tarihi:</th><td><xsl:value-of select="$mizan/@made-text"/></td></tr>
    </table>
    <xsl:call-template name="eksikAylar">
      <xsl:with-param name="aylar" select="$mizan/k:missing"/>
      <xsl:with-param name="belge" select="'mizan'"/>
    </xsl:call-template>
    <xsl:call-template name="fark"/>
    <div class="bolum">
      <table class="liste mizan">
        <colgroup>
          <col class="kod"/><col class="ad"/><col class="tutar"/><col class="tutar"/><col class="tutar"/><col class="tutar"/>
        </colgroup>
        <thead>
          <tr>
            <th>Hesap Kodu</th><th>Hesap Adı</th><th class="tutar">Borç</th><th class="tutar">Alacak</th>
            <th class="tutar">Borç Bakiyesi</th><th class="tutar">Alacak Bakiyesi</th>
          </tr>
        </thead>
        <tbody>
          <xsl:for-each select="$mizan/k:row">
            <tr data-duzey="{@level}">
              <td><xsl:value-of select="@code"/></td>
              <td><xsl:value-of select="@name"/></td>
              <td><xsl:call-template name="tutarBosSifir"><xsl:with-param name="v" select="@debit"/></xsl:call-template></td>
              <td><xsl:call-template name="tutarBosSifir"><xsl:with-param name="v" select="@credit"/></xsl:call-template></td>
              <td><xsl:call-template name="tutarBosSifir"><xsl:with-param name="v" select="@debit-balance"/></xsl:call-template></td>
              <td><xsl:call-template name="tutarBosSifir"><xsl:with-param name="v" select="@credit-balance"/></xsl:call-template></td>
            </tr>
          </xsl:for-each>
          <xsl:if test="not($mizan/k:row)">
            <tr class="bos"><td colspan="6">Bu dönemde yevmiye kaydı yok.</td></tr>
          </xsl:if>
          <xsl:for-each select="$mizan/k:total">
            <tr class="toplam">
              <td colspan="2">Genel Toplam</td>
              <td><xsl:call-template name="tutar"><xsl:with-param name="v" select="@debit"/></xsl:call-template></td>
              <td><xsl:call-template name="tutar"><xsl:with-param name="v" select="@credit"/></xsl:call-template></td>
              <td><xsl:call-template name="tutar"><xsl:with-param name="v" select="@debit-balance"/></xsl:call-template></td>
              <td><xsl:call-template name="tutar"><xsl:with-param name="v" select="@credit-balance"/></xsl:call-template></td>
            </tr>
          </xsl:for-each>
        </tbody>
      </table>
    </div>
  </xsl:template>

  <!-- Debit and credit totals that differ: by how much, and on which side. -->
  <xsl:template name="fark">
    <xsl:variable name="fark" select="number($mizan/k:total/@difference)"/>
    <xsl:if test="$fark != 0 and string($fark) != 'NaN'">
      <p class="uyari fark">
        <xsl:value-of select="'Borç ve alacak toplamları eşit değil: fark '"/>
        <xsl:call-template name="tutar"><xsl:with-param name="v" select="$fark * (1 - 2 * ($fark &lt; 0))"/></xsl:call-template>
        <xsl:choose>
          <xsl:when test="$fark &gt; 0"> TL (borç fazlası).</xsl:when>
          <xsl:otherwise> TL (alacak fazlası).</xsl:otherwise>
        </xsl:choose>
      </p>
    </xsl:if>
  </xsl:template>

  <xsl:template name="eksikAylar">
    <xsl:param name="aylar"/>
    <xsl:param name="belge"/>
    <xsl:if test="$aylar">
      <p class="uyari eksik">
        <xsl:value-of select="'Eksik aylar: '"/>
        <xsl:for-each select="$aylar">
          <xsl:if test="position() &gt; 1">, </xsl:if>
          <xsl:value-of select="@period"/>
        </xsl:for-each>
        <xsl:value-of select="concat(' — bu ayların yevmiye defteri bulunamadı; ', $belge, ' eksik olabilir.')"/>
      </p>
    </xsl:if>
  </xsl:template>

  <xsl:template name="tutarBosSifir">
    <xsl:param name="v"/>
    <xsl:if test="number($v) != 0 or string(number($v)) = 'NaN'">
      <xsl:call-template name="tutar"><xsl:with-param name="v" select="$v"/></xsl:call-template>
    </xsl:if>
  </xsl:template>

  <!-- 1.234.567,89; what is not a number is shown as written rather than lost. -->
  <xsl:template name="tutar">
    <xsl:param name="v"/>
    <xsl:choose>
      <xsl:when test="string(number($v)) = 'NaN'"><xsl:value-of select="$v"/></xsl:when>
      <xsl:otherwise><xsl:value-of select="format-number($v, '#.##0,00', 'tr')"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="stil">
@page { size: A4 portrait; margin: 0; }
html { font-family: Arial, "Liberation Sans", Helvetica, sans-serif; font-size: 9pt; color: #000; background: #fff;
       -webkit-print-color-adjust: exact; print-color-adjust: exact; }
body { margin: 0; padding: 12px 16px; }
h1 { font-size: 13pt; margin: 0 0 4pt 0; letter-spacing: 0.04em; }
table.kimlik { border-collapse: collapse; margin: 0 0 8pt 0; }
table.kimlik th { text-align: left; font-weight: normal; color: #444; padding: 0 12pt 1pt 0; white-space: nowrap;
                  vertical-align: top; }
table.kimlik td { font-weight: bold; padding: 0 0 1pt 0; overflow-wrap: anywhere; }
table.kimlik td.aylar { font-weight: normal; }
p.uyari { margin: 0 0 8pt 0; padding: 3pt 6pt; border-left: 2.5pt solid #b3261e; background: #fbeae9; color: #7a1a14;
          font-weight: bold; }
/* No margin above the table: a printed piece that continues it opens it again, and its rows must stand
   where they stood on the page before, for that page to be carried. */
div.bolum { margin: 0; }
table.liste { width: 100%; border-collapse: collapse; table-layout: fixed; font-size: 8.5pt; }
table.liste th { text-align: left; vertical-align: bottom; background: #e8e8e8; border-top: 0.75pt solid #000;
                 border-bottom: 0.75pt solid #000; padding: 2pt 3pt; }
table.liste td { vertical-align: top; padding: 1pt 3pt; border-bottom: 0.25pt solid #ddd; overflow-wrap: anywhere; }
table.liste th.tutar { text-align: right; }
/* Amounts up to hundreds of millions stay on one line; a larger one breaks rather than run into its neighbour. */
table.mizan td:nth-child(n+3) { text-align: right; font-variant-numeric: tabular-nums; }
table.mizan col.kod { width: 12%; }
table.mizan col.tutar { width: 14.5%; }
tr[data-duzey="class"] td { font-weight: bold; background: #e8e8e8; border-top: 0.75pt solid #000; }
tr[data-duzey="class"] td:nth-child(-n+2) { font-size: 9.5pt; }
tr[data-duzey="group"] td { font-weight: bold; background: #f4f4f4; }
tr[data-duzey="sub"] td:nth-child(-n+2) { padding-left: 12pt; color: #333; }
tr.toplam td { font-weight: bold; border-top: 1pt solid #000; border-bottom: 1pt double #000; padding-top: 2pt; }
tr.toplam td { text-align: right; font-variant-numeric: tabular-nums; }
tr.toplam td:first-child { text-align: left; }
tr.bos td { font-style: italic; }
thead { display: table-header-group; }
tfoot { display: table-footer-group; }
tr { break-inside: avoid; page-break-inside: avoid; }
table.duzen { width: 100%; border-collapse: collapse; }
table.duzen > * > tr > td { padding: 0; vertical-align: top; }
table.duzen > thead > tr.bosluk > td { height: 11mm; vertical-align: bottom; padding-bottom: 3pt; text-align: right;
                                       font-size: 7.5pt; color: #555; }
table.duzen > tfoot > tr.bosluk > td { height: 11mm; }
@media screen {
  /* A narrow window scrolls sideways rather than lay amounts over each other. */
  table.mizan { min-width: 720px; }
  body { max-width: 1200px; }
  table.duzen > thead, table.duzen > tfoot { display: none; }
}
@media print {
  body { padding: 0 10mm 0 12mm; }
}
  </xsl:template>

</xsl:stylesheet>
