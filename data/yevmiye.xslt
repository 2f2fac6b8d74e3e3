<?xml version="1.0" encoding="UTF-8"?>
<!--
  Yevmiye defteri (journal) as a printable HTML page.

  Plain XSLT 1.0 without extension functions, so that any engine (libxslt, MSXML, .NET) renders it.
  Elements are matched by namespace URI; the prefixes below are only this file's own names.
  Layout: one page table whose column headers in <thead> repeat on every printed page; one row per
  journal entry holding the entry's own table (kept on one page when it fits); the totals in a
  <tbody> of their own after the entries.
-->
<xsl:stylesheet version="1.0"
    xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:xbrli="http://www.xbrl.org/2003/instance"
    xmlns:gl-cor="http://www.xbrl.org/int/gl/cor/2006-10-25"
    xmlns:gl-bus="http://www.xbrl.org/int/gl/bus/2006-10-25"
    xmlns:gl-muc="http://www.xbrl.org/int/gl/muc/2006-10-25"
    exclude-result-prefixes="xbrli gl-cor gl-bus gl-muc">

  <xsl:output method="html" encoding="UTF-8" indent="no" doctype-system="about:legacy-compat"/>
  <!-- NaN="" lets a line show an unreadable amount as written instead of a formatted one. -->
  <xsl:decimal-format name="tr" decimal-separator="," grouping-separator="." NaN="" minus-sign="-"/>

  <xsl:variable name="xbrl" select="/*/xbrli:xbrl"/>
  <xsl:variable name="kayitlar" select="$xbrl/gl-cor:accountingEntries"/>
  <xsl:variable name="belge" select="$kayitlar/gl-cor:documentInfo"/>
  <xsl:variable name="kurum" select="$kayitlar/gl-cor:entityInformation"/>
  <xsl:variable name="maddeler" select="$kayitlar/gl-cor:entryHeader"/>
  <xsl:variable name="satirlar" select="$maddeler/gl-cor:entryDetail"/>
  <!--
    Lines that cannot be read one way only are shown marked "geçersiz" and left out of every total, so
    that no total looks balanced on a line the program would have to guess at: a debit/credit code
    other than D, C, debit, credit; an amount that is not a plain decimal with at most two decimals
    (zeros beyond are harmless), or of 90 trillion or more, or Infinity; a date shaped YYYY-MM-DD
    that is no day of the calendar (the entry's date too). Keys, so that the checks run once per
    line, each on the field itself; a ledger without such lines then pays a lookup per line more.
  -->
  <xsl:key name="gecersiz" use="generate-id()" match="gl-cor:entryDetail[
        not(gl-cor:debitCreditCode[contains('|D|C|debit|credit|', concat('|', normalize-space(translate(., '|', ' ')), '|'))])
        or not(gl-cor:amount[round(. div 180000000000000) = 0
          and translate(substring(substring-after(., '.'), 3), '0 &#9;&#10;&#13;', '') = ''])
        or gl-cor:postingDate[substring(translate(., '123456789', '000000000'), 1, 10) = '0000-00-00'
          and not(substring(., 9, 2) &lt;= substring('--312931303130313130313031', substring(., 6, 2) * 2 + 1, 2)
                  and substring(., 9, 2) != '00' and substring(., 1, 4) != '0000'
                  and (substring(., 6, 5) != '02-29' or substring(., 1, 4) mod 4 = 0
                       and (substring(., 1, 4) mod 100 != 0 or substring(., 1, 4) mod 400 = 0)))]
        or gl-cor:documentDate[substring(translate(., '123456789', '000000000'), 1, 10) = '0000-00-00'
          and not(substring(., 9, 2) &lt;= substring('--312931303130313130313031', substring(., 6, 2) * 2 + 1, 2)
                  and substring(., 9, 2) != '00' and substring(., 1, 4) != '0000'
                  and (substring(., 6, 5) != '02-29' or substring(., 1, 4) mod 4 = 0
                       and (substring(., 1, 4) mod 100 != 0 or substring(., 1, 4) mod 400 = 0)))]]"/>
  <xsl:key name="gecersizMadde" use="generate-id()" match="gl-cor:entryHeader[gl-cor:enteredDate[
          substring(translate(., '123456789', '000000000'), 1, 10) = '0000-00-00'
          and not(substring(., 9, 2) &lt;= substring('--312931303130313130313031', substring(., 6, 2) * 2 + 1, 2)
                  and substring(., 9, 2) != '00' and substring(., 1, 4) != '0000'
                  and (substring(., 6, 5) != '02-29' or substring(., 1, 4) mod 4 = 0
                       and (substring(., 1, 4) mod 100 != 0 or substring(., 1, 4) mod 400 = 0)))]]"/>
  <xsl:variable name="gecersizMaddeVar" select="boolean($maddeler[key('gecersizMadde', generate-id())])"/>
  <xsl:variable name="gecersizler" select="$satirlar[key('gecersiz', generate-id()) or ($gecersizMaddeVar and key('gecersizMadde', generate-id(..)))]"/>
  <!-- Tested once per line: a boolean, since every use of a node-set variable copies the set. -->
  <xsl:variable name="gecersizVar" select="boolean($gecersizler)"/>

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
col.madde, tr.madde table col:nth-child(1) { width: 6%; }
col.tarih, tr.madde table col:nth-child(2) { width: 10%; }
col.kod, tr.madde table col:nth-child(3) { width: 12%; }
col.ad, tr.madde table col:nth-child(4) { width: 22%; }
col.aciklama, tr.madde table col:nth-child(5) { width: 24%; }
col.tutar, tr.madde table col:nth-child(n+6) { width: 13%; }
tr.madde > td { padding: 0; }
tr.madde-basi > td { border-top: 0.5pt solid #888; padding-top: 3pt; font-weight: bold; }
tr.madde-basi > td:nth-child(3) { font-weight: normal; font-style: italic; }
tr.madde-basi > td:nth-child(4) { text-align: right; font-weight: normal; }
/* Line rows have no cell classes, to keep big journals small: cells by position. */
tr.satir > td:nth-child(3) { font-weight: bold; }
tr.satir > td:nth-child(n+5) { text-align: right; font-variant-numeric: tabular-nums; }
tr.satir.alacak > td:nth-child(2), tr.satir.alacak > td:nth-child(3) { padding-left: 10pt; }
tr.satir + tr > td:nth-child(2), tr.satir + tr > td:nth-child(3) { padding-left: 6pt; }
tr.alacak + tr > td:nth-child(2), tr.alacak + tr > td:nth-child(3) { padding-left: 16pt; }
tr.satir + tr > td:nth-child(4) { font-style: italic; }
tr.satir + tr > td > i { font-style: normal; color: #555; }
tr.satir + tr > td > i ~ i { margin-left: 6pt; }
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
    Entries and lines carry as few attributes as they can (cells are styled by position): a 200 MB
    journal has 100,000 lines.
  -->
  <xsl:template name="madde">
    <tr class="madde">
      <td colspan="7">
        <table>
          <colgroup><col/><col/><col/><col/><col/><col/><col/></colgroup>
          <tr class="madde-basi">
            <td><xsl:value-of select="gl-cor:entryNumberCounter"/></td>
            <td><xsl:value-of select="translate('HI.FG.ABCD', 'ABCD-FG-HI', gl-cor:enteredDate)"/></td>
            <td colspan="3"><xsl:value-of select="gl-cor:entryComment"/></td>
            <td colspan="2">
              <xsl:if test="normalize-space(gl-cor:entryNumber) != ''">
                <span class="e">Fiş No:</span>
                <xsl:value-of select="concat(' ', gl-cor:entryNumber)"/>
              </xsl:if>
            </td>
          </tr>
          <xsl:for-each select="gl-cor:entryDetail">
            <xsl:call-template name="satir"/>
          </xsl:for-each>
        </table>
      </td>
    </tr>
  </xsl:template>

  <!--
    One journal line: the main account row, then a row for the sub account and the document,
    payment, quantity and currency details (which may be empty: leaving it out would cost more
    lookups per line than the row costs).
    A line is on the credit side when its code says so (C, credit) and on the debit side otherwise.
    The two sides are spelt out rather than computed: this runs once per line of ledgers of
    100,000 lines, where every XPath evaluation counts.
  -->
  <xsl:template name="satir">
    <xsl:variable name="tutar" select="format-number(gl-cor:amount, '#.##0,00', 'tr')"/>
    <xsl:variable name="hesap" select="gl-cor:account"/>
    <xsl:variable name="bc" select="normalize-space(gl-cor:debitCreditCode)"/>
    <xsl:choose>
      <xsl:when test="$gecersizVar and (key('gecersiz', generate-id()) or key('gecersizMadde', generate-id(..)))">
        <!-- Its amount as written, on the side its code names (debit when it names none). -->
        <tr class="satir gecersiz{substring(' alacak', 1, 7 * ($bc = 'C' or $bc = 'credit'))}">
          <td colspan="2"></td>
          <td><xsl:value-of select="$hesap/gl-cor:accountMainID"/></td>
          <td><xsl:value-of select="$hesap/gl-cor:accountMainDescription"/></td>
          <td><xsl:call-template name="gecersizNeden"/><xsl:value-of select="concat(' ', gl-cor:detailComment)"/></td>
          <td><xsl:if test="not($bc = 'C' or $bc = 'credit')"><xsl:value-of select="gl-cor:amount"/></xsl:if></td>
          <td><xsl:if test="$bc = 'C' or $bc = 'credit'"><xsl:value-of select="gl-cor:amount"/></xsl:if></td>
        </tr>
      </xsl:when>
      <xsl:when test="$bc = 'C' or $bc = 'credit'">
        <tr class="satir alacak">
          <td colspan="2"></td>
          <td><xsl:value-of select="$hesap/gl-cor:accountMainID"/></td>
          <td><xsl:value-of select="$hesap/gl-cor:accountMainDescription"/></td>
          <td><xsl:value-of select="gl-cor:detailComment"/></td>
          <td></td>
          <td><xsl:value-of select="$tutar"/><xsl:if test="$tutar = ''"><xsl:value-of select="gl-cor:amount"/></xsl:if></td>
        </tr>
      </xsl:when>
      <xsl:otherwise>
        <tr class="satir borc">
          <td colspan="2"></td>
          <td><xsl:value-of select="$hesap/gl-cor:accountMainID"/></td>
          <td><xsl:value-of select="$hesap/gl-cor:accountMainDescription"/></td>
          <td><xsl:value-of select="gl-cor:detailComment"/></td>
          <td><xsl:value-of select="$tutar"/><xsl:if test="$tutar = ''"><xsl:value-of select="gl-cor:amount"/></xsl:if></td>
          <td></td>
        </tr>
      </xsl:otherwise>
    </xsl:choose>
    <tr>
      <td colspan="2"></td>
      <td><xsl:value-of select="$hesap/gl-cor:accountSub/gl-cor:accountSubID"/></td>
      <td><xsl:value-of select="$hesap/gl-cor:accountSub/gl-cor:accountSubDescription"/></td>
      <td colspan="3">
        <!-- Each child is read once: a child step walks all of a line's children. -->
        <xsl:variable name="ad" select="substring-before(substring-after('|invoice=Fatura|check=Çek|voucher=Fiş|receipt=Makbuz|shipment=İrsaliye|order-customer=Müşteri Siparişi|order-vendor=Satıcı Siparişi|', concat('|', gl-cor:documentType, '=')), '|')"/>
        <xsl:choose>
          <!--
            The common case, "Fatura: ABC2024000000001 / 05.03.2024", in as few steps as possible;
            translate() rearranges a YYYY-MM-DD date into DD.MM.YYYY in one go.
          -->
          <xsl:when test="$ad != '' and gl-cor:documentNumber != '' and gl-cor:documentDate != ''">
            <i><xsl:value-of select="$ad"/>:</i>
            <xsl:value-of select="concat(' ', gl-cor:documentNumber, ' / ', translate('HI.FG.ABCD', 'ABCD-FG-HI', gl-cor:documentDate), ' ')"/>
          </xsl:when>
          <xsl:when test="gl-cor:documentType or gl-cor:documentTypeDescription or gl-cor:documentNumber or gl-cor:documentDate">
            <xsl:call-template name="digerBelge"/>
          </xsl:when>
        </xsl:choose>
        <xsl:for-each select="gl-bus:paymentMethod">
          <i>Ödeme Şekli:</i>
          <xsl:value-of select="concat(' ', ., ' ')"/>
        </xsl:for-each>
        <xsl:for-each select="gl-bus:measurable[1]">
          <xsl:call-template name="miktar"/>
        </xsl:for-each>
      </td>
    </tr>
  </xsl:template>

  <!-- Journal totals come from the lines themselves: they are what the reader adds up. -->
  <xsl:template name="toplamlar">
    <xsl:variable name="sayilan" select="$satirlar[not($gecersizVar and (key('gecersiz', generate-id()) or key('gecersizMadde', generate-id(..))))]"/>
    <xsl:variable name="alacak" select="sum($sayilan[normalize-space(gl-cor:debitCreditCode) = 'C' or normalize-space(gl-cor:debitCreditCode) = 'credit']/gl-cor:amount)"/>
    <xsl:variable name="borc" select="sum($sayilan/gl-cor:amount) - $alacak"/>
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
      <xsl:call-template name="gecersizNotu">
        <xsl:with-param name="sutun" select="7"/>
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

  <!-- Any other document: its own description, else its type's name, else the type as written. -->
  <xsl:template name="digerBelge">
    <xsl:variable name="tur" select="normalize-space(gl-cor:documentType)"/>
    <xsl:variable name="aciklama" select="normalize-space(gl-cor:documentTypeDescription)"/>
    <xsl:variable name="no" select="normalize-space(gl-cor:documentNumber)"/>
    <xsl:variable name="t" select="normalize-space(gl-cor:documentDate)"/>
    <xsl:variable name="bilinen" select="substring-before(substring-after('|invoice=Fatura|check=Çek|voucher=Fiş|receipt=Makbuz|shipment=İrsaliye|order-customer=Müşteri Siparişi|order-vendor=Satıcı Siparişi|other=Diğer Belge|', concat('|', $tur, '=')), '|')"/>
    <xsl:variable name="ad" select="concat($aciklama, substring(concat($bilinen, substring(concat($tur, substring('Belge', 1, 99 * ($tur = ''))), 1, 999 * ($bilinen = ''))), 1, 999 * ($aciklama = '')))"/>
    <xsl:variable name="tarih" select="substring(concat(substring($t, 9, 2), '.', substring($t, 6, 2), '.', substring($t, 1, 4)), 1, 99 * ($t != ''))"/>
    <xsl:choose>
      <xsl:when test="$no != '' or $t != ''">
        <i><xsl:value-of select="$ad"/>:</i>
        <xsl:value-of select="concat(' ', $no, substring(' / ', 1, 3 * ($no != '' and $t != '')), $tarih, ' ')"/>
      </xsl:when>
      <xsl:otherwise>
        <i>Belge Türü:</i>
        <xsl:value-of select="concat(' ', $ad, ' ')"/>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- Quantity details ("Miktar", "Birim Fiyat"), which few lines carry; the context is gl-bus:measurable. -->
  <xsl:template name="miktar">
    <xsl:variable name="miktar" select="normalize-space(concat(gl-bus:measurableQuantity, ' ', gl-bus:measurableUnitOfMeasure))"/>
    <xsl:variable name="nitelik" select="normalize-space(gl-bus:measurableQualifier)"/>
    <xsl:variable name="tanim" select="normalize-space(gl-bus:measurableCodeDescription)"/>
    <xsl:if test="$miktar != ''">
      <i>Miktar:</i>
      <xsl:value-of select="concat(' ', $miktar, substring(concat(' (', $nitelik, ')'), 1, 999 * ($nitelik != '')), substring(concat(', ', $tanim), 1, 999 * ($tanim != '')), ' ')"/>
    </xsl:if>
    <xsl:if test="normalize-space(gl-bus:measurableCostPerUnit) != ''">
      <i>Birim Fiyat:</i>
      <xsl:text> </xsl:text>
      <xsl:call-template name="tutar">
        <xsl:with-param name="v" select="gl-bus:measurableCostPerUnit"/>
      </xsl:call-template>
      <xsl:text> </xsl:text>
    </xsl:if>
  </xsl:template>

  <!-- ===== Shared by the four stylesheets: header, labels, numbers, dates, base style ===== -->

  <!-- Why a line is "geçersiz"; the context is the line. -->
  <xsl:template name="gecersizNeden">
    <b class="gecersiz">
      <xsl:text>geçersiz: </xsl:text>
      <xsl:choose>
        <xsl:when test="not(gl-cor:debitCreditCode[contains('|D|C|debit|credit|', concat('|', normalize-space(translate(., '|', ' ')), '|'))])">
          <xsl:value-of select="concat('borç/alacak kodu &quot;', gl-cor:debitCreditCode, '&quot;')"/>
        </xsl:when>
        <xsl:when test="not(gl-cor:amount[round(. div 180000000000000) = 0
          and translate(substring(substring-after(., '.'), 3), '0 &#9;&#10;&#13;', '') = ''])">
          <xsl:value-of select="concat('tutar &quot;', normalize-space(gl-cor:amount), '&quot;')"/>
        </xsl:when>
        <xsl:otherwise>takvimde olmayan tarih</xsl:otherwise>
      </xsl:choose>
    </b>
  </xsl:template>

  <!-- Says how many lines the totals above leave out; nothing when every line could be read. -->
  <xsl:template name="gecersizNotu">
    <xsl:param name="sutun"/>
    <xsl:if test="$gecersizler">
      <tr class="gecersiz">
        <td colspan="{$sutun}" class="etiket">
          <b class="gecersiz">
            <xsl:value-of select="format-number(count($gecersizler), '#.##0', 'tr')"/>
            <xsl:text> geçersiz satır toplamlara katılmadı.</xsl:text>
          </b>
        </td>
      </tr>
    </xsl:if>
  </xsl:template>


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
    @page declares no margins: the whole page sits in one cell of a layout table whose header and
    footer rows, repeated on every printed page, are the top and bottom margins, so that the top one
    can name the ledger on every sheet (browsers print nothing in @page margin boxes).
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
h2 { font-size: 9.5pt; margin: 8pt 0 2pt 0; padding: 1.5pt 4pt; background: #e8e8e8; border-top: 0.75pt solid #000;
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
span.e { color: #555; font-style: normal; }
span.e ~ span.e { margin-left: 6pt; }
b.gecersiz, tr.gecersiz > td { color: #b00000; }
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
