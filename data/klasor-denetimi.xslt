<?xml version="1.0" encoding="UTF-8"?>
<!--
  The program's folder report ("Klasörü denetle") as a printable A4 document: per taxpayer and year
  the months × files grid and the findings, errors first, then every file's own result.

  Every block below the title is a div of one class, so that the viewer's cutter takes them as one
  run of repeated blocks: a long findings or file table is cut by its rows, its heading and column
  headers repeated, and a month grid is never split.
-->
<xsl:stylesheet version="1.0"
    xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:k="http://verazidedaze.pelvora.example/ns/klasor-denetimi"
    exclude-result-prefixes="k">

  <xsl:output method="html" encoding="UTF-8" indent="no" doctype-system="about:legacy-compat"/>

  <xsl:variable name="rapor" select="/k:folder-report"/>
  <xsl:variable name="baslik" select="'e-Defter Klasör Denetimi'"/>

  <xsl:template match="/">
    <html lang="tr">
      <head>
        <title><xsl:value-of select="concat($baslik, ' – ', $rapor/@folder)"/></title>
        <style><xsl:call-template name="stil"/></style>
      </head>
      <body>
        <table class="duzen">
          <thead>
            <tr class="bosluk ust">
              <td><xsl:value-of select="concat($baslik, ' · ', $rapor/@folder, ' · ', $rapor/@made-text)"/></td>
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
    <h1><xsl:value-of select="$baslik"/></h1>
    <table class="kimlik">
      <tr><th>Klasör</th><td><xsl:value-of select="$rapor/@folder"/></td></tr>
      <tr><th>Denetim tarihi</th><td><xsl:value-of select="$rapor/@made-text"/></td></tr>
      <tr>
        <th>Sonuç</th>
        <td>
          <xsl:choose>
            <xsl:when test="not($rapor/k:set)">Denetlenecek e-Defter ayı yok</xsl:when>
            <xsl:otherwise>
              <xsl:call-template name="sonuc">
                <xsl:with-param name="hata" select="$rapor/@errors"/>
                <xsl:with-param name="uyari" select="$rapor/@warnings"/>
              </xsl:call-template>
            </xsl:otherwise>
          </xsl:choose>
        </td>
      </tr>
    </table>
    <p class="aciklama">✔ var, imzası geçerli · ✘ eksik ya da hatalı · ○ imzasız, denetlenemedi ya da GİB onayı
      henüz yok · – bu ay için gerekmiyor. Birden çok parçalı aylarda işaretin yanında parça sayısı yazar.</p>
    <xsl:if test="not($rapor/k:set)">
      <div class="bolum">
        <p class="bos">Klasörde adı e-Defter adlandırmasına (VKN-YYYYAA-T-NNNNNN.xml) uyan dosya bulunamadı.</p>
      </div>
    </xsl:if>
    <xsl:apply-templates select="$rapor/k:set"/>
    <xsl:apply-templates select="$rapor/k:folder[*]"/>
  </xsl:template>

  <xsl:template match="k:set">
    <div class="bolum">
      <h2>
        <xsl:value-of select="concat('VKN/TCKN ', @taxpayer, ' · ', @year)"/>
        <span class="kapsam"><xsl:value-of select="concat(' (', @covers, ')')"/></span>
      </h2>
      <p class="ozet">
        <xsl:call-template name="sonuc">
          <xsl:with-param name="hata" select="@errors"/>
          <xsl:with-param name="uyari" select="@warnings"/>
        </xsl:call-template>
      </p>
      <table class="izgara">
        <thead>
          <tr>
            <th class="ay">Dönem</th>
            <xsl:for-each select="$rapor/k:column"><th><xsl:value-of select="."/></th></xsl:for-each>
          </tr>
        </thead>
        <tbody>
          <xsl:apply-templates select="k:month"/>
        </tbody>
      </table>
    </div>
    <div class="bolum">
      <h3><xsl:value-of select="concat('Bulgular · ', @taxpayer, ' · ', @year)"/></h3>
      <xsl:choose>
        <xsl:when test="k:finding">
          <table class="liste bulgular">
            <colgroup>
              <col class="onem"/><col class="donem"/><col class="dosya"/><col class="yer"/><col class="mesaj"/>
            </colgroup>
            <thead>
              <tr><th>Önem</th><th>Dönem</th><th>Dosya</th><th>Yer</th><th>Açıklama</th></tr>
            </thead>
            <tbody>
              <xsl:apply-templates select="k:finding[@severity = 'error']"/>
              <xsl:apply-templates select="k:finding[@severity != 'error']"/>
            </tbody>
          </table>
        </xsl:when>
        <xsl:otherwise><p class="bos">Bulgu yok.</p></xsl:otherwise>
      </xsl:choose>
    </div>
  </xsl:template>

  <xsl:template match="k:month">
    <tr>
      <td class="ay">
        <xsl:value-of select="@period"/>
        <span class="ay-adi"><xsl:call-template name="ayAdi"><xsl:with-param name="ay" select="substring(@period, 6, 2)"/></xsl:call-template></span>
      </td>
      <xsl:for-each select="k:cell">
        <td class="isaret {@mark}">
          <xsl:value-of select="."/>
          <xsl:if test="@parts &gt; 1"><span class="parca"><xsl:value-of select="concat('×', @parts)"/></span></xsl:if>
        </td>
      </xsl:for-each>
    </tr>
  </xsl:template>

  <xsl:template match="k:finding">
    <tr class="{@severity}">
      <td class="onem">
        <xsl:choose>
          <xsl:when test="@severity = 'error'">Hata</xsl:when>
          <xsl:otherwise>Uyarı</xsl:otherwise>
        </xsl:choose>
      </td>
      <td><xsl:value-of select="@period"/></td>
      <td class="dosya"><xsl:value-of select="@file"/></td>
      <td><xsl:value-of select="@place"/></td>
      <td>
        <xsl:value-of select="."/>
        <span class="kod"><xsl:value-of select="@code"/></span>
      </td>
    </tr>
  </xsl:template>

  <xsl:template match="k:folder">
    <div class="bolum">
      <h3><xsl:value-of select="concat('Dosyalar · ', @path)"/></h3>
      <table class="liste dosyalar">
        <colgroup><col class="dosya"/><col class="sonuc"/></colgroup>
        <thead>
          <tr><th>Dosya</th><th>Sonuç</th></tr>
        </thead>
        <tbody>
          <xsl:for-each select="k:file">
            <tr class="{@status}">
              <td class="dosya"><xsl:value-of select="@name"/></td>
              <td class="sonuc"><xsl:value-of select="."/></td>
            </tr>
          </xsl:for-each>
          <xsl:for-each select="k:without-berat">
            <tr class="eksik"><td class="dosya"><xsl:value-of select="@name"/></td><td>Beratı olmayan defter</td></tr>
          </xsl:for-each>
          <xsl:for-each select="k:without-ledger">
            <tr class="eksik"><td class="dosya"><xsl:value-of select="@name"/></td><td>Defteri olmayan berat</td></tr>
          </xsl:for-each>
          <xsl:for-each select="k:unreadable">
            <tr class="eksik">
              <td class="dosya"><xsl:value-of select="@name"/></td>
              <td><xsl:value-of select="concat('Okunamayan girdi: ', .)"/></td>
            </tr>
          </xsl:for-each>
        </tbody>
      </table>
    </div>
  </xsl:template>

  <xsl:template name="sonuc">
    <xsl:param name="hata"/>
    <xsl:param name="uyari"/>
    <xsl:choose>
      <xsl:when test="$hata = 0 and $uyari = 0">Bulgu yok</xsl:when>
      <xsl:otherwise>
        <span class="sayim hata-sayisi"><xsl:value-of select="concat($hata, ' hata')"/></span>
        <xsl:value-of select="', '"/>
        <span class="sayim uyari-sayisi"><xsl:value-of select="concat($uyari, ' uyarı')"/></span>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="ayAdi">
    <xsl:param name="ay"/>
    <xsl:variable name="adlar" select="'Ocak    Şubat   Mart    Nisan   Mayıs   Haziran Temmuz  Ağustos Eylül   Ekim    Kasım   Aralık  '"/>
    <xsl:if test="number($ay) &gt;= 1 and number($ay) &lt;= 12">
      <xsl:value-of select="concat(' ', normalize-space(substring($adlar, 8 * (number($ay) - 1) + 1, 8)))"/>
    </xsl:if>
  </xsl:template>

  <xsl:template name="stil">
@page { size: A4 portrait; margin: 0; }
html { font-family: Arial, "Liberation Sans", Helvetica, sans-serif; font-size: 9pt; color: #000; background: #fff;
       -webkit-print-color-adjust: exact; print-color-adjust: exact; }
body { margin: 0; padding: 12px 16px; }
h1 { font-size: 13pt; margin: 0 0 4pt 0; letter-spacing: 0.04em; }
h2 { font-size: 10pt; margin: 12pt 0 2pt 0; padding: 1.5pt 4pt; background: #e8e8e8; border-top: 0.75pt solid #000;
     break-after: avoid; page-break-after: avoid; }
h2 span.kapsam { font-weight: normal; }
h3 { font-size: 9.5pt; margin: 8pt 0 2pt 0; break-after: avoid; page-break-after: avoid; }
p.aciklama { margin: 4pt 0 0 0; color: #444; font-size: 8pt; }
p.ozet { margin: 2pt 4pt 4pt 4pt; }
p.bos { margin: 2pt 4pt; font-style: italic; }
table.kimlik { border-collapse: collapse; }
table.kimlik th { text-align: left; font-weight: normal; color: #444; padding: 0 12pt 1pt 0; white-space: nowrap; }
table.kimlik td { font-weight: bold; padding: 0 0 1pt 0; overflow-wrap: anywhere; }
span.hata-sayisi { color: #b3261e; }
span.uyari-sayisi { color: #8a5a00; }
table.izgara { border-collapse: collapse; margin: 2pt 0 0 0; }
table.izgara th { background: #e8e8e8; border-bottom: 0.75pt solid #000; padding: 2pt 6pt; min-width: 40pt; }
table.izgara th.ay { text-align: left; }
table.izgara td { border-bottom: 0.25pt solid #ddd; padding: 1pt 6pt; text-align: center; }
table.izgara td.ay { text-align: left; white-space: nowrap; font-variant-numeric: tabular-nums; }
span.ay-adi { color: #555; }
td.isaret { font-size: 10.5pt; }
td.ok { color: #1b6e20; }
td.bad { color: #b3261e; font-weight: bold; }
td.open { color: #777; }
td.not-due { color: #c4c4c4; }
span.parca { font-size: 7.5pt; margin-left: 2pt; color: #000; font-weight: normal; }
table.liste { width: 100%; border-collapse: collapse; table-layout: fixed; }
table.liste th { text-align: left; background: #e8e8e8; border-top: 0.75pt solid #000; border-bottom: 0.75pt solid #000;
                 padding: 2pt 3pt; }
table.liste td { vertical-align: top; padding: 1pt 3pt; border-bottom: 0.25pt solid #ddd; overflow-wrap: anywhere; }
col.onem { width: 7%; }
col.donem { width: 8%; }
table.bulgular col.dosya { width: 31%; }
col.yer { width: 14%; }
td.dosya { font-size: 8pt; }
table.dosyalar col.dosya { width: 38%; }
tr.error td.onem { color: #b3261e; font-weight: bold; }
tr.warning td.onem { color: #8a5a00; font-weight: bold; }
span.kod { display: block; color: #777; font-size: 7pt; font-family: "Courier New", "Liberation Mono", monospace; }
tr.failed td.sonuc, tr.eksik td { color: #b3261e; }
tr.unsigned td.sonuc { color: #555; }
tr.could-not-check td.sonuc { color: #8a5a00; }
thead { display: table-header-group; }
tfoot { display: table-footer-group; }
tr { break-inside: avoid; page-break-inside: avoid; }
table.duzen { width: 100%; border-collapse: collapse; }
table.duzen > * > tr > td { padding: 0; vertical-align: top; }
table.duzen > thead > tr.bosluk > td { height: 11mm; vertical-align: bottom; padding-bottom: 3pt; text-align: right;
                                       font-size: 7.5pt; color: #555; }
table.duzen > tfoot > tr.bosluk > td { height: 11mm; }
@media screen {
  body { max-width: 1200px; }
  table.duzen > thead, table.duzen > tfoot { display: none; }
}
@media print {
  body { padding: 0 10mm 0 12mm; }
}
  </xsl:template>

</xsl:stylesheet>
