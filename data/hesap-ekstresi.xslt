<?xml version="1.0" encoding="UTF-8"?>
<!--
  The program's account statement (hesap ekstresi) over months of a taxpayer's journals as a
  printable A4 landscape document (eleven columns do not fit portrait in a readable size): the
  months read and those missing, then one table: the opening carried forward (Devir), every line
  with its running balance, the range's sums and the closing balance.

  The table sits alone in a div below the title, so that the viewer's cutter cuts it by its rows
  with the column headers repeated; the lines have no class and the closing rows classes of their
  own, so those come once, at the end. A statement may have hundreds of thousands of lines: every
  balance is in the document, so each line is written from its own attributes alone, and its cells
  carry no classes to keep the page small.

  Amounts as 1.234.567,89; a zero debit or credit in a line is left empty, balances and totals are
  always written.
-->
<xsl:stylesheet version="1.0"
    xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:k="http://verazidedaze.pelvora.example/ns/klasor-denetimi"
    exclude-result-prefixes="k">

  <xsl:output method="html" encoding="UTF-8" indent="no" doctype-system="about:legacy-compat"/>
  <!-- NaN="" leaves an unreadable amount to be shown as written. -->
  <xsl:decimal-format name="tr" decimal-separator="," grouping-separator="." NaN="" minus-sign="-"/>

  <xsl:variable name="ekstre" select="/k:hesap-ekstresi"/>
  <xsl:variable name="donem" select="concat($ekstre/@from, ' – ', $ekstre/@to)"/>
  <xsl:variable name="hesap" select="normalize-space(concat($ekstre/@account, ' ', $ekstre/@name))"/>

  <xsl:template match="/">
    <html lang="tr">
      <head>
        <title><xsl:value-of select="concat('Hesap Ekstresi – ', $hesap, ' – ', $ekstre/@taxpayer, ' – ', $donem)"/></title>
        <style><xsl:call-template name="stil"/></style>
      </head>
      <body>
        <table class="duzen">
          <thead>
            <tr class="bosluk ust">
              <td>
                <xsl:value-of select="concat('Hesap Ekstresi · ', $hesap, ' · ', $ekstre/@taxpayer, ' · ', $donem, ' · ',
                                             $ekstre/@made-text)"/>
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
    <h1>Hesap Ekstresi</h1>
    <table class="kimlik">
      <tr><th>Hesap:</th><td><xsl:value-of select="$hesap"/></td></tr>
      <tr><th>VKN/TCKN:</th><td><xsl:value-of select="$ekstre/@taxpayer"/></td></tr>
      <tr><th>Dönem:</th><td><xsl:value-of select="$donem"/></td></tr>
      <tr>
        <th>Okunan aylar:</th>
        <td class="aylar">
          <xsl:for-each select="$ekstre/k:period">
            <xsl:if test="position() &gt; 1">, </xsl:if>
            <xsl:value-of select="."/>
          </xsl:for-each>
          <xsl:if test="not($ekstre/k:period)">yok</xsl:if>
        </td>
      </tr>
      <tr><th>Oluşturma tarihi:</th><td><xsl:value-of select="$ekstre/@made-text"/></td></tr>
    </table>
    <xsl:if test="$ekstre/k:missing">
      <p class="uyari eksik">
        <xsl:value-of select="'Eksik aylar: '"/>
        <xsl:call-template name="aylar"><xsl:with-param name="eksik" select="$ekstre/k:missing"/></xsl:call-template>
        <xsl:value-of select="' — bu ayların yevmiye defteri bulunamadı; ekstre eksik olabilir.'"/>
      </p>
    </xsl:if>
    <xsl:if test="$ekstre/k:opening/k:missing">
      <p class="uyari devir-eksik">
        <xsl:value-of select="'Devir bakiyesi eksik olabilir: '"/>
        <xsl:call-template name="aylar"><xsl:with-param name="eksik" select="$ekstre/k:opening/k:missing"/></xsl:call-template>
        <xsl:value-of select="' ayları bulunamadı.'"/>
      </p>
    </xsl:if>
    <div class="bolum">
      <table class="liste ekstre">
        <colgroup>
          <col class="tarih"/><col class="madde"/><col class="fis"/><col class="evrak"/><col class="tarih"/>
          <col class="hesap"/><col class="aciklama"/><col class="tutar"/><col class="tutar"/><col class="tutar"/>
          <col class="ba"/>
        </colgroup>
        <thead>
          <tr>
            <th>Tarih</th><th>Madde No</th><th>Fiş No</th><th>Evrak No</th><th>Evrak Tarihi</th><th>Hesap Kodu</th>
            <th>Açıklama</th><th class="tutar">Borç</th><th class="tutar">Alacak</th><th class="tutar">Bakiye</th>
            <th class="ba">B/A</th>
          </tr>
        </thead>
        <tbody>
          <xsl:apply-templates select="$ekstre/k:opening"/>
          <xsl:apply-templates select="$ekstre/k:line"/>
          <xsl:if test="not($ekstre/k:line)">
            <tr class="bos"><td colspan="11">Bu dönemde hesapta hareket yok.</td></tr>
          </xsl:if>
          <xsl:apply-templates select="$ekstre/k:closing"/>
        </tbody>
      </table>
    </div>
  </xsl:template>

  <xsl:template match="k:opening">
    <tr class="devir">
      <td colspan="7">
        <xsl:value-of select="'Devir'"/>
        <xsl:if test="k:period">
          <span class="aralik">
            <xsl:value-of select="concat(' (', k:period[1], ' – ', k:period[last()], ')')"/>
          </span>
        </xsl:if>
      </td>
      <td><xsl:call-template name="tutar"><xsl:with-param name="v" select="@debit"/></xsl:call-template></td>
      <td><xsl:call-template name="tutar"><xsl:with-param name="v" select="@credit"/></xsl:call-template></td>
      <td><xsl:call-template name="tutar"><xsl:with-param name="v" select="@balance"/></xsl:call-template></td>
      <td><xsl:value-of select="@side"/></td>
    </tr>
  </xsl:template>

  <xsl:template match="k:line">
    <tr>
      <td><xsl:call-template name="tarih"><xsl:with-param name="t" select="@date"/></xsl:call-template></td>
      <td><xsl:value-of select="@entry"/></td>
      <td><xsl:value-of select="@voucher"/></td>
      <td><xsl:value-of select="@document-number"/></td>
      <td><xsl:call-template name="tarih"><xsl:with-param name="t" select="@document-date"/></xsl:call-template></td>
      <td><xsl:value-of select="@account"/></td>
      <td><xsl:value-of select="."/></td>
      <td><xsl:call-template name="tutarBosSifir"><xsl:with-param name="v" select="@debit"/></xsl:call-template></td>
      <td><xsl:call-template name="tutarBosSifir"><xsl:with-param name="v" select="@credit"/></xsl:call-template></td>
      <td><xsl:call-template name="tutar"><xsl:with-param name="v" select="@balance"/></xsl:call-template></td>
      <td><xsl:value-of select="@side"/></td>
    </tr>
  </xsl:template>

  <xsl:template match="k:closing">
    <tr class="toplam">
      <td colspan="7">Dönem toplamı</td>
      <td><xsl:call-template name="tutar"><xsl:with-param name="v" select="@debit"/></xsl:call-template></td>
      <td><xsl:call-template name="tutar"><xsl:with-param name="v" select="@credit"/></xsl:call-template></td>
      <td></td>
      <td></td>
    </tr>
    <tr class="kapanis">
      <td colspan="7">Kapanış bakiyesi</td>
      <td></td>
      <td></td>
      <td><xsl:call-template name="tutar"><xsl:with-param name="v" select="@balance"/></xsl:call-template></td>
      <td><xsl:value-of select="@side"/></td>
    </tr>
  </xsl:template>

  <xsl:template name="aylar">
    <xsl:param name="eksik"/>
    <xsl:for-each select="$eksik">
      <xsl:if test="position() &gt; 1">, </xsl:if>
      <xsl:value-of select="@period"/>
    </xsl:for-each>
  </xsl:template>

  <!-- 2025-03-31 as 31.03.2025 by one translate(); anything else as written. -->
  <xsl:template name="tarih">
    <xsl:param name="t"/>
    <xsl:choose>
      <xsl:when test="string-length($t) = 10 and substring($t, 5, 1) = '-' and substring($t, 8, 1) = '-'">
        <xsl:value-of select="translate('HI.FG.ABCD', 'ABCD-FG-HI', $t)"/>
      </xsl:when>
      <xsl:otherwise><xsl:value-of select="$t"/></xsl:otherwise>
    </xsl:choose>
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
@page { size: A4 landscape; margin: 0; }
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
table.liste { width: 100%; border-collapse: collapse; table-layout: fixed; font-size: 8pt; }
table.liste th { text-align: left; vertical-align: bottom; background: #e8e8e8; border-top: 0.75pt solid #000;
                 border-bottom: 0.75pt solid #000; padding: 2pt 3pt; }
table.liste td { vertical-align: top; padding: 1pt 3pt; border-bottom: 0.25pt solid #ddd; overflow-wrap: anywhere; }
table.liste th.tutar { text-align: right; }
table.liste th.ba { text-align: center; }
/* Amounts up to a billion stay on one line; a larger one breaks rather than run into its neighbour. */
table.ekstre td:nth-child(n+8) { text-align: right; font-variant-numeric: tabular-nums; }
table.ekstre td:first-child { white-space: nowrap; }
table.ekstre td:nth-child(11) { text-align: center; }
table.ekstre col.tarih { width: 6.5%; }
table.ekstre col.madde { width: 5.5%; }
table.ekstre col.fis { width: 6%; }
table.ekstre col.evrak { width: 11%; }
table.ekstre col.hesap { width: 7.5%; }
table.ekstre col.tutar { width: 10%; }
table.ekstre col.ba { width: 3.5%; }
tr.devir td, tr.toplam td, tr.kapanis td { font-weight: bold; text-align: right;
                                            font-variant-numeric: tabular-nums; }
tr.devir td:first-child, tr.toplam td:first-child, tr.kapanis td:first-child { text-align: left; }
tr.devir td:last-child, tr.kapanis td:last-child { text-align: center; }
tr.devir td { background: #f4f4f4; border-bottom: 0.75pt solid #000; }
tr.devir span.aralik { font-weight: normal; color: #444; }
tr.toplam td { border-top: 1pt solid #000; }
tr.kapanis td { border-bottom: 1pt double #000; }
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
  table.ekstre { min-width: 1100px; }
  body { max-width: 1600px; }
  table.duzen > thead, table.duzen > tfoot { display: none; }
}
@media print {
  body { padding: 0 10mm 0 12mm; }
}
  </xsl:template>

</xsl:stylesheet>
