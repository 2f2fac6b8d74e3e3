<?xml version="1.0" encoding="UTF-8"?>
<!--
  Büyük defter (kebir, general ledger) as a printable HTML page, A4 landscape.

  Plain XSLT 1.0 without extension functions, so that any engine (libxslt, MSXML, .NET) renders it.
  Elements are matched by namespace URI; the prefixes below are only this file's own names.
  Layout: one page table whose header rows repeat on every printed page; one row per account block
  holding the block's own table (its account heading repeats when the block runs over a page); the
  general totals in a <tbody> of their own after the blocks.
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
  <xsl:variable name="hesaplar" select="$kayitlar/gl-cor:entryHeader"/>
  <xsl:variable name="satirlar" select="$hesaplar/gl-cor:entryDetail"/>

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
  <xsl:variable name="defterTuru" select="'Büyük Defter (Kebir)'"/>
  <xsl:variable name="baslikMetni">
    <xsl:value-of select="$defterTuru"/>
    <xsl:if test="$mukellef != ''"><xsl:value-of select="concat(' – ', $mukellef)"/></xsl:if>
    <xsl:if test="$donem != ''"><xsl:value-of select="concat(' – ', $donem)"/></xsl:if>
  </xsl:variable>

  <!-- Blocks up to this many lines are kept on one printed page. -->
  <xsl:variable name="kisaHesap" select="25"/>
  <!-- Lines per leaf of the running-balance recursion; see the "satirlar" template. -->
  <xsl:variable name="yaprak" select="16"/>

  <xsl:template match="/">
    <html lang="tr">
      <head>
        <title><xsl:value-of select="$baslikMetni"/></title>
        <style>
          <xsl:call-template name="ortakStil"/>
@page { size: A4 landscape; margin: 0; }
col.tarih { width: 7.5%; }
col.madde { width: 5.5%; }
col.fis { width: 7.5%; }
col.kod { width: 10%; }
col.aciklama { width: 25%; }
col.tutar { width: 8.5%; }
col.bakiye { width: 10.5%; }
table.sayfa > thead > tr > th { text-align: center; }
table.sayfa > thead > tr > th.sol { text-align: left; }
table.sayfa > thead > tr > th.tutar { text-align: right; }
table.sayfa thead tr.ust-baslik th.grup { border-bottom: 0.5pt solid #888; }
table.hesap thead th { text-align: left; background: #f3f3f3; border-top: 0.75pt solid #000;
                       border-bottom: 0.5pt solid #888; padding: 2pt 3pt; }
table.hesap thead th span.alt-hesap { margin-left: 16pt; }
tr.hesap { break-inside: auto; page-break-inside: auto; }
tr.hesap.kisa { break-inside: avoid; page-break-inside: avoid; }
tr.hesap + tr.hesap > td.sarmal { padding-top: 6pt; }
tr.satir td { border-bottom: 0.25pt solid #ddd; }
td.bakiye span.yon { display: inline-block; width: 0.9em; text-align: left; }
tr.hesap-toplami td { font-weight: bold; border-top: 0.75pt solid #000; }
tr.kayitli-bakiye td { font-style: italic; }
div.belge { color: #333; }
        </style>
      </head>
      <body>
        <xsl:call-template name="sayfaDuzeni"/>
      </body>
    </html>
  </xsl:template>

  <xsl:template match="/" mode="icerik">
    <xsl:call-template name="mukellefBasligi">
      <xsl:with-param name="baslik" select="'BÜYÜK DEFTER (KEBİR)'"/>
    </xsl:call-template>
    <table class="sayfa kebir">
      <xsl:call-template name="sutunlar"/>
      <thead>
        <tr class="ust-baslik">
          <th rowspan="2" class="sol">Yev. Tarihi</th>
          <th rowspan="2" class="sol">Yev. No</th>
          <th rowspan="2" class="sol">Fiş No</th>
          <th rowspan="2" class="sol">Hesap Kodu</th>
          <th rowspan="2" class="sol">Açıklama</th>
          <th colspan="2" class="grup">Tutar</th>
          <th colspan="2" class="grup">Kümülatif Toplam</th>
          <th rowspan="2" class="tutar">Bakiye</th>
        </tr>
        <tr class="alt-baslik">
          <th class="tutar">Borç</th>
          <th class="tutar">Alacak</th>
          <th class="tutar">Borç</th>
          <th class="tutar">Alacak</th>
        </tr>
      </thead>
      <tbody class="hesaplar">
        <xsl:for-each select="$hesaplar">
          <xsl:call-template name="hesap"/>
        </xsl:for-each>
      </tbody>
      <xsl:call-template name="toplamlar"/>
    </table>
  </xsl:template>

  <xsl:template name="sutunlar">
    <colgroup>
      <col class="tarih"/><col class="madde"/><col class="fis"/><col class="kod"/><col class="aciklama"/>
      <col class="tutar"/><col class="tutar"/><col class="tutar"/><col class="tutar"/><col class="bakiye"/>
    </colgroup>
  </xsl:template>

  <xsl:template name="hesap">
    <xsl:variable name="satir" select="gl-cor:entryDetail"/>
    <xsl:variable name="hesap" select="$satir[1]/gl-cor:account"/>
    <xsl:variable name="borc" select="sum($satir[normalize-space(gl-cor:debitCreditCode) = 'D' or normalize-space(gl-cor:debitCreditCode) = 'debit']/gl-cor:amount)"/>
    <xsl:variable name="alacak" select="sum($satir[normalize-space(gl-cor:debitCreditCode) = 'C' or normalize-space(gl-cor:debitCreditCode) = 'credit']/gl-cor:amount)"/>
    <tr>
      <xsl:attribute name="class">
        <xsl:text>hesap</xsl:text>
        <xsl:if test="count($satir) &lt;= $kisaHesap"> kisa</xsl:if>
      </xsl:attribute>
      <td class="sarmal" colspan="10">
        <table class="hesap">
          <xsl:call-template name="sutunlar"/>
          <thead>
            <tr class="hesap-basi">
              <th colspan="10">
                <span class="ana-hesap">
                  <xsl:value-of select="normalize-space(concat($hesap/gl-cor:accountMainID, ' ', $hesap/gl-cor:accountMainDescription))"/>
                </span>
                <xsl:if test="$hesap/gl-cor:accountSub">
                  <span class="alt-hesap">
                    <xsl:value-of select="normalize-space(concat($hesap/gl-cor:accountSub/gl-cor:accountSubID, ' ', $hesap/gl-cor:accountSub/gl-cor:accountSubDescription))"/>
                  </span>
                </xsl:if>
              </th>
            </tr>
          </thead>
          <tbody class="satirlar">
            <xsl:call-template name="satirlar">
              <xsl:with-param name="satir" select="$satir"/>
            </xsl:call-template>
          </tbody>
          <tbody class="hesap-toplami">
            <tr class="hesap-toplami">
              <td colspan="5">
                <xsl:text>Hesap Toplamı (</xsl:text>
                <xsl:value-of select="format-number(count($satir), '#.##0', 'tr')"/>
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
              <td colspan="2"></td>
              <td class="tutar bakiye">
                <xsl:call-template name="bakiye">
                  <xsl:with-param name="v" select="$borc - $alacak"/>
                </xsl:call-template>
              </td>
            </tr>
            <xsl:call-template name="kayitliBakiye">
              <xsl:with-param name="net" select="$borc - $alacak"/>
            </xsl:call-template>
          </tbody>
        </table>
      </td>
    </tr>
  </xsl:template>

  <!--
    The header's totalDebit/totalCredit hold the block's net movement. When they disagree with the
    lines, the reader sees both figures rather than one silently chosen.
  -->
  <xsl:template name="kayitliBakiye">
    <xsl:param name="net"/>
    <xsl:variable name="kayitli" select="number(gl-bus:totalDebit) - number(gl-bus:totalCredit)"/>
    <xsl:if test="gl-bus:totalDebit and gl-bus:totalCredit and not(round($kayitli * 100) = round($net * 100))">
      <tr class="kayitli-bakiye">
        <td colspan="5">Defterde kayıtlı hesap toplamı satırlardan farklı</td>
        <td class="tutar borc">
          <xsl:call-template name="tutar">
            <xsl:with-param name="v" select="gl-bus:totalDebit"/>
          </xsl:call-template>
        </td>
        <td class="tutar alacak">
          <xsl:call-template name="tutar">
            <xsl:with-param name="v" select="gl-bus:totalCredit"/>
          </xsl:call-template>
        </td>
        <td colspan="3"></td>
      </tr>
    </xsl:if>
  </xsl:template>

  <!--
    Running totals without one call per line: the lines are halved until a leaf of at most $yaprak
    lines remains, and each half starts from the sums carried in. Depth is log2(n), total work
    n·log n; a per-line recursion would hit the engine's depth limit on big bank accounts.
    Sub-sets are taken from the half at hand, never as index ranges over the whole block.
  -->
  <xsl:template name="satirlar">
    <xsl:param name="satir"/>
    <xsl:param name="borc" select="0"/>
    <xsl:param name="alacak" select="0"/>
    <xsl:variable name="n" select="count($satir)"/>
    <xsl:choose>
      <xsl:when test="$n &lt;= $yaprak">
        <xsl:for-each select="$satir">
          <xsl:variable name="p" select="position()"/>
          <xsl:variable name="onceki" select="$satir[position() &lt;= $p]"/>
          <xsl:call-template name="satir">
            <xsl:with-param name="borc" select="$borc + sum($onceki[normalize-space(gl-cor:debitCreditCode) = 'D' or normalize-space(gl-cor:debitCreditCode) = 'debit']/gl-cor:amount)"/>
            <xsl:with-param name="alacak" select="$alacak + sum($onceki[normalize-space(gl-cor:debitCreditCode) = 'C' or normalize-space(gl-cor:debitCreditCode) = 'credit']/gl-cor:amount)"/>
          </xsl:call-template>
        </xsl:for-each>
      </xsl:when>
      <xsl:otherwise>
        <xsl:variable name="yari" select="floor($n div 2)"/>
        <xsl:variable name="ilk" select="$satir[position() &lt;= $yari]"/>
        <xsl:call-template name="satirlar">
          <xsl:with-param name="satir" select="$ilk"/>
          <xsl:with-param name="borc" select="$borc"/>
          <xsl:with-param name="alacak" select="$alacak"/>
        </xsl:call-template>
        <xsl:call-template name="satirlar">
          <xsl:with-param name="satir" select="$satir[position() &gt; $yari]"/>
          <xsl:with-param name="borc" select="$borc + sum($ilk[normalize-space(gl-cor:debitCreditCode) = 'D' or normalize-space(gl-cor:debitCreditCode) = 'debit']/gl-cor:amount)"/>
          <xsl:with-param name="alacak" select="$alacak + sum($ilk[normalize-space(gl-cor:debitCreditCode) = 'C' or normalize-space(gl-cor:debitCreditCode) = 'credit']/gl-cor:amount)"/>
        </xsl:call-template>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- One ledger line with the block's cumulative debit and credit up to and including it. -->
  <xsl:template name="satir">
    <xsl:param name="borc"/>
    <xsl:param name="alacak"/>
    <xsl:variable name="bc" select="normalize-space(gl-cor:debitCreditCode)"/>
    <xsl:variable name="hesap" select="gl-cor:account"/>
    <tr class="satir">
      <td class="tarih">
        <xsl:call-template name="tarih">
          <xsl:with-param name="t" select="gl-cor:postingDate"/>
        </xsl:call-template>
      </td>
      <td class="madde"><xsl:value-of select="gl-cor:lineNumberCounter"/></td>
      <td class="fis"><xsl:value-of select="gl-cor:documentReference"/></td>
      <td class="kod">
        <xsl:choose>
          <xsl:when test="normalize-space($hesap/gl-cor:accountSub/gl-cor:accountSubID) != ''">
            <xsl:value-of select="$hesap/gl-cor:accountSub/gl-cor:accountSubID"/>
          </xsl:when>
          <xsl:otherwise><xsl:value-of select="$hesap/gl-cor:accountMainID"/></xsl:otherwise>
        </xsl:choose>
      </td>
      <td class="aciklama">
        <xsl:value-of select="gl-cor:detailComment"/>
        <xsl:variable name="belgeVar" select="normalize-space(gl-cor:documentType) != '' or normalize-space(gl-cor:documentNumber) != '' or normalize-space(gl-cor:documentDate) != '' or normalize-space(gl-cor:documentTypeDescription) != ''"/>
        <xsl:variable name="ekVar" select="normalize-space(gl-bus:paymentMethod) != '' or gl-bus:measurable or normalize-space(gl-muc:amountOriginalAmount) != ''"/>
        <xsl:if test="$belgeVar or $ekVar">
          <div class="belge">
            <xsl:if test="$belgeVar">
              <span class="belge"><xsl:call-template name="belgeBilgisi"/></span>
            </xsl:if>
            <xsl:if test="$ekVar">
              <xsl:call-template name="ekBilgiler"/>
            </xsl:if>
          </div>
        </xsl:if>
      </td>
      <td class="tutar borc">
        <xsl:if test="$bc = 'D' or $bc = 'debit'">
          <xsl:call-template name="tutar">
            <xsl:with-param name="v" select="gl-cor:amount"/>
          </xsl:call-template>
        </xsl:if>
      </td>
      <td class="tutar alacak">
        <xsl:if test="$bc = 'C' or $bc = 'credit'">
          <xsl:call-template name="tutar">
            <xsl:with-param name="v" select="gl-cor:amount"/>
          </xsl:call-template>
        </xsl:if>
      </td>
      <td class="tutar kumulatif-borc">
        <xsl:call-template name="tutar">
          <xsl:with-param name="v" select="$borc"/>
        </xsl:call-template>
      </td>
      <td class="tutar kumulatif-alacak">
        <xsl:call-template name="tutar">
          <xsl:with-param name="v" select="$alacak"/>
        </xsl:call-template>
      </td>
      <td class="tutar bakiye">
        <xsl:call-template name="bakiye">
          <xsl:with-param name="v" select="$borc - $alacak"/>
        </xsl:call-template>
      </td>
    </tr>
  </xsl:template>

  <!-- A balance on its side: "1.234,56 B" for debit, "1.234,56 A" for credit. -->
  <xsl:template name="bakiye">
    <xsl:param name="v"/>
    <xsl:choose>
      <xsl:when test="string($v) = 'NaN'">hesaplanamadı</xsl:when>
      <xsl:when test="round($v * 100) = 0">0,00<span class="yon"></span></xsl:when>
      <xsl:when test="$v &gt; 0">
        <xsl:value-of select="format-number($v, '#.##0,00', 'tr')"/>
        <xsl:text> </xsl:text>
        <span class="yon">B</span>
      </xsl:when>
      <xsl:otherwise>
        <xsl:value-of select="format-number(-$v, '#.##0,00', 'tr')"/>
        <xsl:text> </xsl:text>
        <span class="yon">A</span>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="toplamlar">
    <xsl:variable name="borc" select="sum($satirlar[normalize-space(gl-cor:debitCreditCode) = 'D' or normalize-space(gl-cor:debitCreditCode) = 'debit']/gl-cor:amount)"/>
    <xsl:variable name="alacak" select="sum($satirlar[normalize-space(gl-cor:debitCreditCode) = 'C' or normalize-space(gl-cor:debitCreditCode) = 'credit']/gl-cor:amount)"/>
    <tbody class="toplamlar">
      <tr class="genel-toplam">
        <td colspan="5" class="etiket">
          <xsl:text>Genel Toplam (</xsl:text>
          <xsl:value-of select="format-number(count($hesaplar), '#.##0', 'tr')"/>
          <xsl:text> hesap, </xsl:text>
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
        <td colspan="3"></td>
      </tr>
      <xsl:call-template name="farkSatiri">
        <xsl:with-param name="borc" select="$borc"/>
        <xsl:with-param name="alacak" select="$alacak"/>
        <xsl:with-param name="sol" select="5"/>
        <xsl:with-param name="sag" select="3"/>
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

  <!-- ===== Shared with yevmiye.xslt: document and extra details of a line ===== -->

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
