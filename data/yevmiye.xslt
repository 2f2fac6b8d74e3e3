<?xml version="1.0" encoding="UTF-8"?>
<!--
  Yevmiye defteri (journal) as a printable HTML page.

  Plain XSLT 1.0 without extension functions, so that any engine (libxslt, MSXML, .NET) renders it.
  Elements are matched by namespace URI; the prefixes below are only this file's own names.
  Layout: one table, its column headers in <thead> (repeated on every printed page), one <tbody>
  per journal entry (kept on one page when it fits), the totals in a table of their own after it.
-->
<xsl:stylesheet version="1.0"
    xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:xbrli="http://www.xbrl.org/2003/instance"
    xmlns:gl-cor="http://www.xbrl.org/int/gl/cor/2006-10-25"
    xmlns:gl-bus="http://www.xbrl.org/int/gl/bus/2006-10-25"
    xmlns:gl-muc="http://www.xbrl.org/int/gl/muc/2006-10-25"
    exclude-result-prefixes="xbrli gl-cor gl-bus gl-muc">

  <xsl:output method="html" encoding="UTF-8" indent="no" doctype-system="about:legacy-compat"/>
  <xsl:decimal-format name="tr" decimal-separator="," grouping-separator="." NaN="" minus-sign="-"/>

  <xsl:variable name="xbrl" select="/*/xbrli:xbrl"/>
  <xsl:variable name="kayitlar" select="$xbrl/gl-cor:accountingEntries"/>
  <xsl:variable name="belge" select="$kayitlar/gl-cor:documentInfo"/>
  <xsl:variable name="kurum" select="$kayitlar/gl-cor:entityInformation"/>
  <xsl:variable name="maddeler" select="$kayitlar/gl-cor:entryHeader"/>
  <xsl:variable name="satirlar" select="$maddeler/gl-cor:entryDetail"/>

  <!-- Taxpayer identity, shared by the header and the title. -->
  <xsl:variable name="kimlikNo" select="normalize-space($xbrl/xbrli:context/xbrli:entity/xbrli:identifier)"/>
  <xsl:variable name="unvan" select="normalize-space($kurum/gl-bus:organizationIdentifiers[normalize-space(gl-bus:organizationDescription) = 'Kurum Unvanı']/gl-bus:organizationIdentifier)"/>
  <xsl:variable name="adSoyad" select="normalize-space($kurum/gl-bus:organizationIdentifiers[normalize-space(gl-bus:organizationDescription) = 'Adı Soyadı']/gl-bus:organizationIdentifier)"/>
  <xsl:variable name="subeNo" select="normalize-space($kurum/gl-bus:organizationIdentifiers[normalize-space(gl-bus:organizationDescription) = 'Şube No']/gl-bus:organizationIdentifier)"/>
  <xsl:variable name="subeAdi" select="normalize-space($kurum/gl-bus:organizationIdentifiers[normalize-space(gl-bus:organizationDescription) = 'Şube Adı']/gl-bus:organizationIdentifier)"/>
  <xsl:variable name="kisi" select="string-length($kimlikNo) = 11 or (string-length($kimlikNo) != 10 and $adSoyad != '' and $unvan = '')"/>
  <xsl:variable name="mukellef">
    <xsl:choose>
      <xsl:when test="$kisi and $adSoyad != ''"><xsl:value-of select="$adSoyad"/></xsl:when>
      <xsl:when test="$unvan != ''"><xsl:value-of select="$unvan"/></xsl:when>
      <xsl:otherwise><xsl:value-of select="$adSoyad"/></xsl:otherwise>
    </xsl:choose>
  </xsl:variable>
  <xsl:variable name="donem">
    <xsl:call-template name="donem"/>
  </xsl:variable>
  <xsl:variable name="defterTuru" select="'Yevmiye Defteri'"/>
  <xsl:variable name="baslikMetni">
    <xsl:value-of select="$defterTuru"/>
    <xsl:if test="$mukellef != ''"><xsl:value-of select="concat(' – ', $mukellef)"/></xsl:if>
    <xsl:if test="$donem != ''"><xsl:value-of select="concat(' – ', $donem)"/></xsl:if>
  </xsl:variable>

  <xsl:template match="/">
    <html lang="tr">
      <head>
        <title><xsl:value-of select="$baslikMetni"/></title>
        <style>
          <xsl:call-template name="ortakStil"/>
@page { size: A4 portrait; margin: 0; }
col.madde { width: 6%; }
col.tarih { width: 10%; }
col.kod { width: 12%; }
col.ad { width: 22%; }
col.aciklama { width: 24%; }
col.tutar { width: 13%; }
table.madde td { border-top: none; }
table.madde tr.madde-basi td { border-top: 0.5pt solid #888; padding-top: 3pt; font-weight: bold; }
tr.madde-basi td.madde-aciklama { font-weight: normal; font-style: italic; }
tr.madde-basi td.fis { text-align: right; font-weight: normal; }
tr.satir td.ad { font-weight: bold; }
tr.satir.alacak td.kod, tr.satir.alacak td.ad { padding-left: 10pt; }
tr.alt td.kod, tr.alt td.ad { padding-left: 6pt; }
tr.alt.alacak td.kod, tr.alt.alacak td.ad { padding-left: 16pt; }
tr.alt td.aciklama { font-style: italic; }
        </style>
      </head>
      <body>
        <xsl:call-template name="sayfaDuzeni"/>
      </body>
    </html>
  </xsl:template>

  <xsl:template match="/" mode="icerik">
    <xsl:call-template name="mukellefBasligi">
      <xsl:with-param name="baslik" select="'YEVMİYE DEFTERİ'"/>
    </xsl:call-template>
    <table class="sayfa yevmiye">
      <xsl:call-template name="sutunlar"/>
      <thead>
        <tr class="sutun-basliklari">
          <th class="madde">Madde No</th>
          <th class="tarih">Tarih</th>
          <th>Hesap Kodu</th>
          <th>Hesap Adı</th>
          <th>Açıklama</th>
          <th class="tutar">Borç</th>
          <th class="tutar">Alacak</th>
        </tr>
      </thead>
      <tbody class="maddeler">
        <xsl:for-each select="$maddeler">
          <xsl:call-template name="madde"/>
        </xsl:for-each>
      </tbody>
      <xsl:call-template name="toplamlar"/>
    </table>
  </xsl:template>

  <xsl:template name="sutunlar">
    <colgroup>
      <col class="madde"/><col class="tarih"/><col class="kod"/><col class="ad"/><col class="aciklama"/>
      <col class="tutar"/><col class="tutar"/>
    </colgroup>
  </xsl:template>

  <!--
    Each entry is one row of the page table holding a table of its own: printing keeps a row on one
    page unless it is longer than a page, which this browser engine does not do for a <tbody>.
  -->
  <xsl:template name="madde">
    <tr class="madde">
      <td class="sarmal" colspan="7">
        <table class="madde">
          <xsl:call-template name="sutunlar"/>
          <tr class="madde-basi">
            <td class="madde"><xsl:value-of select="gl-cor:entryNumberCounter"/></td>
            <td class="tarih">
              <xsl:call-template name="tarih">
                <xsl:with-param name="t" select="gl-cor:enteredDate"/>
              </xsl:call-template>
            </td>
            <td class="madde-aciklama" colspan="3"><xsl:value-of select="gl-cor:entryComment"/></td>
            <td class="fis" colspan="2">
              <xsl:call-template name="etiketli">
                <xsl:with-param name="etiket" select="'Fiş No'"/>
                <xsl:with-param name="deger" select="gl-cor:entryNumber"/>
              </xsl:call-template>
            </td>
          </tr>
          <xsl:for-each select="gl-cor:entryDetail">
            <xsl:call-template name="satir"/>
          </xsl:for-each>
        </table>
      </td>
    </tr>
  </xsl:template>

  <!-- One journal line: the main account row, then a row for the sub account and document details. -->
  <xsl:template name="satir">
    <xsl:variable name="bc" select="normalize-space(gl-cor:debitCreditCode)"/>
    <xsl:variable name="taraf">
      <xsl:choose>
        <xsl:when test="$bc = 'C' or $bc = 'credit'">alacak</xsl:when>
        <xsl:otherwise>borc</xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <xsl:variable name="alt" select="gl-cor:account/gl-cor:accountSub"/>
    <tr class="satir {$taraf}">
      <td colspan="2"></td>
      <td class="kod"><xsl:value-of select="gl-cor:account/gl-cor:accountMainID"/></td>
      <td class="ad"><xsl:value-of select="gl-cor:account/gl-cor:accountMainDescription"/></td>
      <td class="aciklama"><xsl:value-of select="gl-cor:detailComment"/></td>
      <td class="tutar borc">
        <xsl:if test="$taraf = 'borc'">
          <xsl:call-template name="tutar">
            <xsl:with-param name="v" select="gl-cor:amount"/>
          </xsl:call-template>
        </xsl:if>
      </td>
      <td class="tutar alacak">
        <xsl:if test="$taraf = 'alacak'">
          <xsl:call-template name="tutar">
            <xsl:with-param name="v" select="gl-cor:amount"/>
          </xsl:call-template>
        </xsl:if>
      </td>
    </tr>
    <xsl:variable name="belgeVar" select="normalize-space(gl-cor:documentType) != '' or normalize-space(gl-cor:documentNumber) != '' or normalize-space(gl-cor:documentDate) != '' or normalize-space(gl-cor:documentTypeDescription) != ''"/>
    <xsl:variable name="ekVar" select="normalize-space(gl-bus:paymentMethod) != '' or gl-bus:measurable or normalize-space(gl-muc:amountOriginalAmount) != ''"/>
    <xsl:if test="$alt or $belgeVar or $ekVar">
      <tr class="alt {$taraf}">
        <td colspan="2"></td>
        <td class="kod"><xsl:value-of select="$alt/gl-cor:accountSubID"/></td>
        <td class="ad"><xsl:value-of select="$alt/gl-cor:accountSubDescription"/></td>
        <td class="aciklama" colspan="3">
          <xsl:if test="$belgeVar">
            <span class="belge"><xsl:call-template name="belgeBilgisi"/></span>
          </xsl:if>
          <xsl:if test="$ekVar">
            <xsl:call-template name="ekBilgiler"/>
          </xsl:if>
        </td>
      </tr>
    </xsl:if>
  </xsl:template>

  <!-- Journal totals come from the lines themselves: they are what the reader adds up. -->
  <xsl:template name="toplamlar">
    <xsl:variable name="borc" select="sum($satirlar[normalize-space(gl-cor:debitCreditCode) = 'D' or normalize-space(gl-cor:debitCreditCode) = 'debit']/gl-cor:amount)"/>
    <xsl:variable name="alacak" select="sum($satirlar[normalize-space(gl-cor:debitCreditCode) = 'C' or normalize-space(gl-cor:debitCreditCode) = 'credit']/gl-cor:amount)"/>
    <tbody class="toplamlar">
      <tr class="genel-toplam">
        <td colspan="5" class="etiket">
          <xsl:text>Genel Toplam (</xsl:text>
          <xsl:value-of select="format-number(count($maddeler), '#.##0', 'tr')"/>
          <xsl:text> madde, </xsl:text>
          <xsl:value-of select="format-number(count($satirlar), '#.##0', 'tr')"/>
          <xsl:text> satır)</xsl:text>
        </td>
        <td class="tutar borc">
          <xsl:call-template name="tutar">
            <xsl:with-param name="v" select="$borc"/>
          </xsl:call-template>
        </td>
        <td class="tutar alacak">
          <xsl:call-template name="tutar">
            <xsl:with-param name="v" select="$alacak"/>
          </xsl:call-template>
        </td>
      </tr>
      <xsl:call-template name="farkSatiri">
        <xsl:with-param name="borc" select="$borc"/>
        <xsl:with-param name="alacak" select="$alacak"/>
        <xsl:with-param name="sol" select="5"/>
        <xsl:with-param name="sag" select="0"/>
      </xsl:call-template>
    </tbody>
  </xsl:template>

  <!-- A balanced ledger has no difference row; an unbalanced one says so instead of hiding it. -->
  <xsl:template name="farkSatiri">
    <xsl:param name="borc"/>
    <xsl:param name="alacak"/>
    <xsl:param name="sol"/>
    <xsl:param name="sag"/>
    <xsl:if test="string($borc - $alacak) != 'NaN' and round(($borc - $alacak) * 100) != 0">
      <tr class="fark">
        <td colspan="{$sol}" class="etiket">Borç ve alacak toplamları tutmuyor; fark</td>
        <td class="tutar borc">
          <xsl:if test="$borc &lt; $alacak">
            <xsl:call-template name="tutar">
              <xsl:with-param name="v" select="$alacak - $borc"/>
            </xsl:call-template>
          </xsl:if>
        </td>
        <td class="tutar alacak">
          <xsl:if test="$borc &gt; $alacak">
            <xsl:call-template name="tutar">
              <xsl:with-param name="v" select="$borc - $alacak"/>
            </xsl:call-template>
          </xsl:if>
        </td>
        <xsl:if test="$sag &gt; 0">
          <td colspan="{$sag}"></td>
        </xsl:if>
      </tr>
    </xsl:if>
  </xsl:template>

  <!-- ===== Shared with kebir.xslt: document and extra details of a line ===== -->

  <xsl:template name="belgeBilgisi">
    <xsl:variable name="tur" select="normalize-space(gl-cor:documentType)"/>
    <xsl:variable name="aciklama" select="normalize-space(gl-cor:documentTypeDescription)"/>
    <xsl:variable name="ad">
      <xsl:choose>
        <xsl:when test="$tur = 'invoice'">Fatura</xsl:when>
        <xsl:when test="$tur = 'check'">Çek</xsl:when>
        <xsl:when test="$tur = 'voucher'">Fiş</xsl:when>
        <xsl:when test="$tur = 'receipt'">Makbuz</xsl:when>
        <xsl:when test="$tur = 'shipment'">İrsaliye</xsl:when>
        <xsl:when test="$tur = 'order-customer'">Müşteri Siparişi</xsl:when>
        <xsl:when test="$tur = 'order-vendor'">Satıcı Siparişi</xsl:when>
        <xsl:when test="$aciklama != ''"><xsl:value-of select="$aciklama"/></xsl:when>
        <xsl:when test="$tur = 'other'">Diğer Belge</xsl:when>
        <xsl:when test="$tur != ''"><xsl:value-of select="$tur"/></xsl:when>
        <xsl:otherwise>Belge</xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <xsl:variable name="no" select="normalize-space(gl-cor:documentNumber)"/>
    <xsl:variable name="tarih">
      <xsl:call-template name="tarih">
        <xsl:with-param name="t" select="gl-cor:documentDate"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:choose>
      <xsl:when test="$no = '' and $tarih = ''">
        <xsl:call-template name="etiketli">
          <xsl:with-param name="etiket" select="'Belge Türü'"/>
          <xsl:with-param name="deger" select="$ad"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise>
        <!-- "Fatura: ABC2024000000001 / 05.03.2024", number and date as the document gives them. -->
        <xsl:call-template name="etiketli">
          <xsl:with-param name="etiket" select="$ad"/>
          <xsl:with-param name="deger">
            <xsl:value-of select="$no"/>
            <xsl:if test="$no != '' and $tarih != ''"> / </xsl:if>
            <xsl:value-of select="$tarih"/>
          </xsl:with-param>
        </xsl:call-template>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="ekBilgiler">
    <xsl:if test="normalize-space(gl-bus:paymentMethod) != ''">
      <span class="ek">
        <xsl:call-template name="etiketli">
          <xsl:with-param name="etiket" select="'Ödeme Şekli'"/>
          <xsl:with-param name="deger" select="gl-bus:paymentMethod"/>
        </xsl:call-template>
      </span>
    </xsl:if>
    <xsl:for-each select="gl-bus:measurable[1]">
      <xsl:variable name="miktar" select="normalize-space(concat(gl-bus:measurableQuantity, ' ', gl-bus:measurableUnitOfMeasure))"/>
      <span class="ek">
        <xsl:if test="normalize-space(gl-bus:measurableCodeDescription) != ''">
          <span class="alan"><xsl:value-of select="gl-bus:measurableCodeDescription"/></span>
        </xsl:if>
        <xsl:call-template name="etiketli">
          <xsl:with-param name="etiket" select="'Miktar'"/>
          <xsl:with-param name="deger" select="$miktar"/>
        </xsl:call-template>
        <xsl:if test="normalize-space(gl-bus:measurableQualifier) != ''">
          <xsl:value-of select="concat(' (', normalize-space(gl-bus:measurableQualifier), ')')"/>
        </xsl:if>
        <xsl:if test="normalize-space(gl-bus:measurableCostPerUnit) != ''">
          <xsl:call-template name="etiketli">
            <xsl:with-param name="etiket" select="'Birim Fiyat'"/>
            <xsl:with-param name="deger">
              <xsl:call-template name="tutar">
                <xsl:with-param name="v" select="gl-bus:measurableCostPerUnit"/>
              </xsl:call-template>
            </xsl:with-param>
          </xsl:call-template>
        </xsl:if>
      </span>
    </xsl:for-each>
    <xsl:if test="normalize-space(gl-muc:amountOriginalAmount) != ''">
      <span class="ek">
        <xsl:call-template name="etiketli">
          <xsl:with-param name="etiket" select="'Döviz Tutarı'"/>
          <xsl:with-param name="deger">
            <xsl:call-template name="tutar">
              <xsl:with-param name="v" select="gl-muc:amountOriginalAmount"/>
            </xsl:call-template>
            <xsl:if test="normalize-space(gl-muc:amountOriginalCurrency) != ''">
              <xsl:value-of select="concat(' ', normalize-space(gl-muc:amountOriginalCurrency))"/>
            </xsl:if>
          </xsl:with-param>
        </xsl:call-template>
        <xsl:if test="normalize-space(gl-muc:amountOriginalExchangeRate) != ''">
          <xsl:call-template name="etiketli">
            <xsl:with-param name="etiket" select="'Kur'"/>
            <xsl:with-param name="deger">
              <xsl:call-template name="sayi">
                <xsl:with-param name="v" select="gl-muc:amountOriginalExchangeRate"/>
                <xsl:with-param name="bicim" select="'#.##0,00####'"/>
              </xsl:call-template>
            </xsl:with-param>
          </xsl:call-template>
        </xsl:if>
      </span>
    </xsl:if>
  </xsl:template>

  <!-- ===== Shared by the four stylesheets: header, labels, numbers, dates, base style ===== -->

  <xsl:template name="mukellefBasligi">
    <xsl:param name="baslik"/>
    <xsl:param name="kimlik" select="true()"/>
    <div class="mukellef">
      <h1><xsl:value-of select="$baslik"/></h1>
      <xsl:if test="$kimlik">
      <table class="kimlik">
        <xsl:call-template name="bilgiSatiri">
          <xsl:with-param name="etiket">
            <xsl:choose>
              <xsl:when test="$mukellef = $adSoyad">Adı Soyadı</xsl:when>
              <xsl:otherwise>Kurum Unvanı</xsl:otherwise>
            </xsl:choose>
          </xsl:with-param>
          <xsl:with-param name="deger" select="$mukellef"/>
        </xsl:call-template>
        <xsl:call-template name="bilgiSatiri">
          <xsl:with-param name="etiket" select="'Şube'"/>
          <xsl:with-param name="deger" select="normalize-space(concat($subeNo, ' ', $subeAdi))"/>
        </xsl:call-template>
        <xsl:call-template name="bilgiSatiri">
          <xsl:with-param name="etiket">
            <xsl:call-template name="kimlikEtiketi"/>
          </xsl:with-param>
          <xsl:with-param name="deger" select="$kimlikNo"/>
        </xsl:call-template>
        <xsl:call-template name="bilgiSatiri">
          <xsl:with-param name="etiket" select="'Dönem'"/>
          <xsl:with-param name="deger" select="$donem"/>
        </xsl:call-template>
      </table>
      </xsl:if>
      <xsl:if test="normalize-space($belge/gl-cor:entriesComment) != ''">
        <p class="defter-aciklama"><xsl:value-of select="$belge/gl-cor:entriesComment"/></p>
      </xsl:if>
    </div>
  </xsl:template>

  <xsl:template name="kimlikEtiketi">
    <xsl:choose>
      <xsl:when test="$kisi">TC Kimlik No</xsl:when>
      <xsl:otherwise>Vergi No</xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="donem">
    <xsl:variable name="bas">
      <xsl:call-template name="tarih">
        <xsl:with-param name="t" select="$belge/gl-cor:periodCoveredStart"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:variable name="son">
      <xsl:call-template name="tarih">
        <xsl:with-param name="t" select="$belge/gl-cor:periodCoveredEnd"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:value-of select="$bas"/>
    <xsl:if test="$bas != '' and $son != ''"> – </xsl:if>
    <xsl:value-of select="$son"/>
  </xsl:template>

  <!--
    This engine prints with zero page margins whatever @page says, so the whole page sits in one cell
    of a layout table whose header and footer rows, repeated on every printed page, are the top and
    bottom margins. The top one also names the ledger on every sheet.
  -->
  <xsl:template name="sayfaDuzeni">
    <xsl:param name="icerik"/>
    <table class="duzen">
      <thead>
        <tr class="bosluk ust">
          <td>
            <xsl:value-of select="$defterTuru"/>
            <xsl:if test="$mukellef != ''"><xsl:value-of select="concat(' · ', $mukellef)"/></xsl:if>
            <xsl:if test="$kimlikNo != ''">
              <xsl:text> · </xsl:text>
              <xsl:call-template name="kimlikEtiketi"/>
              <xsl:value-of select="concat(' ', $kimlikNo)"/>
            </xsl:if>
            <xsl:if test="$donem != ''"><xsl:value-of select="concat(' · ', $donem)"/></xsl:if>
          </td>
        </tr>
      </thead>
      <tfoot>
        <tr class="bosluk alt"><td></td></tr>
      </tfoot>
      <tbody>
        <tr>
          <td class="icerik">
            <xsl:apply-templates select="/" mode="icerik"/>
          </td>
        </tr>
      </tbody>
    </table>
  </xsl:template>

  <!-- A label/value row that is left out entirely when the value is missing. -->
  <xsl:template name="bilgiSatiri">
    <xsl:param name="etiket"/>
    <xsl:param name="deger"/>
    <xsl:if test="normalize-space($deger) != ''">
      <tr>
        <th><xsl:value-of select="$etiket"/></th>
        <td><xsl:value-of select="$deger"/></td>
      </tr>
    </xsl:if>
  </xsl:template>

  <!-- An inline "label: value" that is left out entirely when the value is missing. -->
  <xsl:template name="etiketli">
    <xsl:param name="etiket"/>
    <xsl:param name="deger"/>
    <xsl:if test="normalize-space($deger) != ''">
      <span class="alan">
        <span class="etiket"><xsl:value-of select="$etiket"/>: </span>
        <span class="deger"><xsl:value-of select="$deger"/></span>
      </span>
    </xsl:if>
  </xsl:template>

  <!--
    Amounts as 1.234.567,89. A value that is not a number is shown as written rather than lost, and a
    sum that includes one says it could not be computed.
  -->
  <xsl:template name="tutar">
    <xsl:param name="v"/>
    <xsl:call-template name="sayi">
      <xsl:with-param name="v" select="$v"/>
      <xsl:with-param name="bicim" select="'#.##0,00'"/>
    </xsl:call-template>
  </xsl:template>

  <xsl:template name="sayi">
    <xsl:param name="v"/>
    <xsl:param name="bicim"/>
    <xsl:choose>
      <xsl:when test="string($v) = 'NaN'">hesaplanamadı</xsl:when>
      <xsl:when test="string(number($v)) = 'NaN'"><xsl:value-of select="$v"/></xsl:when>
      <xsl:otherwise><xsl:value-of select="format-number($v, $bicim, 'tr')"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- 2024-03-31 as 31.03.2024, a date-time also with its clock time; anything else as written. -->
  <xsl:template name="tarih">
    <xsl:param name="t"/>
    <xsl:variable name="s" select="normalize-space($t)"/>
    <xsl:choose>
      <xsl:when test="string-length($s) &gt;= 10 and substring($s, 5, 1) = '-' and substring($s, 8, 1) = '-'">
        <xsl:value-of select="concat(substring($s, 9, 2), '.', substring($s, 6, 2), '.', substring($s, 1, 4))"/>
        <xsl:if test="substring($s, 11, 1) = 'T'">
          <xsl:variable name="kalan" select="substring($s, 20)"/>
          <xsl:value-of select="concat(' ', substring($s, 12, 8))"/>
          <xsl:choose>
            <xsl:when test="contains($kalan, 'Z')"> UTC</xsl:when>
            <xsl:when test="contains($kalan, '+')"><xsl:value-of select="concat(' +', substring-after($kalan, '+'))"/></xsl:when>
            <xsl:when test="contains($kalan, '-')"><xsl:value-of select="concat(' -', substring-after($kalan, '-'))"/></xsl:when>
          </xsl:choose>
        </xsl:if>
      </xsl:when>
      <xsl:otherwise><xsl:value-of select="$s"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="ortakStil">
html { font-family: Arial, "Liberation Sans", Helvetica, sans-serif; font-size: 9pt; color: #000; background: #fff;
       -webkit-print-color-adjust: exact; print-color-adjust: exact; }
body { margin: 0; padding: 12px 16px; }
h1 { font-size: 13pt; margin: 0 0 4pt 0; letter-spacing: 0.04em; }
h2 { font-size: 10pt; margin: 10pt 0 2pt 0; padding: 2pt 4pt; background: #e8e8e8; border-top: 0.75pt solid #000;
     break-after: avoid; page-break-after: avoid; }
div.mukellef { margin-bottom: 8pt; }
table.kimlik { border-collapse: collapse; }
table.kimlik th { text-align: left; font-weight: normal; color: #444; padding: 0 12pt 1pt 0; white-space: nowrap; }
table.kimlik td { font-weight: bold; padding: 0 0 1pt 0; }
p.defter-aciklama { margin: 6pt 0 0 0; font-style: italic; }
table.sayfa, table.sayfa table { width: 100%; border-collapse: collapse; table-layout: fixed; }
table.sayfa > thead > tr > th { text-align: left; vertical-align: bottom; font-weight: bold; background: #e8e8e8;
                 border-top: 0.75pt solid #000; border-bottom: 0.75pt solid #000; padding: 2pt 3pt; }
table.sayfa td { vertical-align: top; padding: 1pt 3pt; overflow-wrap: anywhere; word-wrap: break-word; }
table.sayfa td.sarmal { padding: 0; }
thead { display: table-header-group; }
tfoot { display: table-footer-group; }
tr { break-inside: avoid; page-break-inside: avoid; }
table.sayfa th.tutar, td.tutar { text-align: right; font-variant-numeric: tabular-nums; }
span.etiket { color: #444; font-style: normal; }
span.alan + span.alan, span.belge + span.ek, span.ek + span.ek { margin-left: 8pt; }
tbody.toplamlar td { font-weight: bold; border-top: 0.75pt solid #000; border-bottom: 1.5pt double #000; padding: 3pt; }
tbody.toplamlar tr.fark td { font-weight: normal; font-style: italic; border-top: none; }
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
