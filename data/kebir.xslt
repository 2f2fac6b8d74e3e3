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
  <!-- NaN="" lets a line show an unreadable amount as written instead of a formatted one. -->
  <xsl:decimal-format name="tr" decimal-separator="," grouping-separator="." NaN="" minus-sign="-"/>

  <xsl:variable name="xbrl" select="/*/xbrli:xbrl"/>
  <xsl:variable name="kayitlar" select="$xbrl/gl-cor:accountingEntries"/>
  <xsl:variable name="belge" select="$kayitlar/gl-cor:documentInfo"/>
  <xsl:variable name="kurum" select="$kayitlar/gl-cor:entityInformation"/>
  <xsl:variable name="hesaplar" select="$kayitlar/gl-cor:entryHeader"/>
  <xsl:variable name="satirlar" select="$hesaplar/gl-cor:entryDetail"/>
  <!--
    Lines that cannot be read one way only are shown marked "geçersiz" and left out of every total, so
    that no total looks balanced on a line the program would have to guess at: a debit/credit code
    other than D, C, debit, credit; an amount that is not a plain decimal with at most two decimals
    (zeros beyond are harmless), or of 90 trillion or more, or Infinity; a date shaped YYYY-MM-DD
    that is no day of the calendar. Keys, so that the checks run once per
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
  <xsl:variable name="gecersizler" select="$satirlar[key('gecersiz', generate-id())]"/>
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
  <xsl:variable name="defterTuru" select="'Büyük Defter (Kebir)'"/>
  <xsl:variable name="baslikMetni">
    <xsl:value-of select="$defterTuru"/>
    <xsl:if test="$mukellef != ''"><xsl:value-of select="concat(' – ', $mukellef)"/></xsl:if>
    <xsl:if test="$donem != ''"><xsl:value-of select="concat(' – ', $donem)"/></xsl:if>
  </xsl:variable>

  <!-- Blocks up to this many lines are kept on one printed page. -->
  <xsl:variable name="kisaHesap" select="25"/>
  <!-- Shape of the running-balance recursion; see the "satirlar" template. -->
  <xsl:variable name="dal" select="8"/>
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
col.fis { width: 8%; }
col.aciklama { width: 34%; }
col.tutar { width: 9%; }
col.bakiye { width: 9%; }
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
/* Line rows have no cell classes, to keep big ledgers small: cells by position. */
tbody.satirlar > tr > td { border-bottom: 0.25pt solid #ddd; }
tbody.satirlar > tr > td:nth-child(n+5) { text-align: right; font-variant-numeric: tabular-nums; }
tr.hesap-toplami td { font-weight: bold; border-top: 0.75pt solid #000; }
tr.kayitli-bakiye td { font-style: italic; }
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
      <col class="tarih"/><col class="madde"/><col class="fis"/><col class="aciklama"/>
      <col class="tutar"/><col class="tutar"/><col class="tutar"/><col class="tutar"/><col class="bakiye"/>
    </colgroup>
  </xsl:template>

  <xsl:template name="hesap">
    <xsl:variable name="satir" select="gl-cor:entryDetail"/>
    <xsl:variable name="hesap" select="$satir[1]/gl-cor:account"/>
    <xsl:variable name="sayilan" select="$satir[not($gecersizVar and key('gecersiz', generate-id()))]"/>
    <xsl:variable name="alacak" select="sum($sayilan[normalize-space(gl-cor:debitCreditCode) = 'C' or normalize-space(gl-cor:debitCreditCode) = 'credit']/gl-cor:amount)"/>
    <xsl:variable name="borc" select="sum($sayilan/gl-cor:amount) - $alacak"/>
    <tr>
      <xsl:attribute name="class">
        <xsl:text>hesap</xsl:text>
        <xsl:if test="count($satir) &lt;= $kisaHesap"> kisa</xsl:if>
      </xsl:attribute>
      <td class="sarmal" colspan="9">
        <table class="hesap">
          <xsl:call-template name="sutunlar"/>
          <thead>
            <tr class="hesap-basi">
              <th colspan="9">
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
              <td colspan="4">
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
        <td colspan="4">Defterde kayıtlı hesap toplamı satırlardan farklı</td>
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
    Running totals without one call per line. The block's lines are cut into $dal parts; each part
    is shown with the sums carried in from the parts before it, and cut again until a leaf of at
    most $yaprak lines remains, whose lines are walked in turn. Depth stays small (about
    $dal·log_$dal(n)), the work is n·log n, and each line's credit test runs once per level rather
    than once per line per level. Parts are taken from the rest at hand, never as index ranges over
    the whole block. Two sums are carried, all amounts and credit amounts: debit is what is not credit.
  -->
  <xsl:template name="satirlar">
    <xsl:param name="satir"/>
    <xsl:param name="toplam" select="0"/>
    <xsl:param name="alacak" select="0"/>
    <xsl:variable name="n" select="count($satir)"/>
    <xsl:choose>
      <xsl:when test="$n &lt;= $yaprak">
        <xsl:call-template name="yaprak">
          <xsl:with-param name="satir" select="$satir"/>
          <xsl:with-param name="toplam" select="$toplam"/>
          <xsl:with-param name="alacak" select="$alacak"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise>
        <xsl:call-template name="parca">
          <xsl:with-param name="kalan" select="$satir"/>
          <xsl:with-param name="boy" select="ceiling($n div $dal)"/>
          <xsl:with-param name="toplam" select="$toplam"/>
          <xsl:with-param name="alacak" select="$alacak"/>
        </xsl:call-template>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="parca">
    <xsl:param name="kalan"/>
    <xsl:param name="boy"/>
    <xsl:param name="toplam"/>
    <xsl:param name="alacak"/>
    <xsl:variable name="ilk" select="$kalan[position() &lt;= $boy]"/>
    <xsl:call-template name="satirlar">
      <xsl:with-param name="satir" select="$ilk"/>
      <xsl:with-param name="toplam" select="$toplam"/>
      <xsl:with-param name="alacak" select="$alacak"/>
    </xsl:call-template>
    <xsl:if test="count($kalan) &gt; $boy">
      <xsl:call-template name="parca">
        <xsl:with-param name="kalan" select="$kalan[position() &gt; $boy]"/>
        <xsl:with-param name="boy" select="$boy"/>
        <xsl:with-param name="toplam" select="$toplam + sum($ilk[not($gecersizVar and key('gecersiz', generate-id()))]/gl-cor:amount)"/>
        <xsl:with-param name="alacak" select="$alacak + sum($ilk[not($gecersizVar and key('gecersiz', generate-id()))][normalize-space(gl-cor:debitCreditCode) = 'C' or normalize-space(gl-cor:debitCreditCode) = 'credit']/gl-cor:amount)"/>
      </xsl:call-template>
    </xsl:if>
  </xsl:template>

  <!--
    A leaf's lines in turn, each with the block's cumulative debit and credit up to and including
    it. Line cells carry no classes, to keep big ledgers small, and every XPath evaluation here
    runs once per line of blocks of 50,000 lines: keep them few.
  -->
  <xsl:template name="yaprak">
    <xsl:param name="satir"/>
    <xsl:param name="toplam"/>
    <xsl:param name="alacak"/>
    <xsl:for-each select="$satir[1]">
      <xsl:variable name="gecersiz" select="$gecersizVar and key('gecersiz', generate-id())"/>
      <!-- A line marked "geçersiz" adds nothing to the running sums. -->
      <xsl:variable name="tutar" select="sum(gl-cor:amount[not($gecersiz)])"/>
      <xsl:variable name="bc" select="normalize-space(gl-cor:debitCreditCode)"/>
      <xsl:variable name="alacakMi" select="$bc = 'C' or $bc = 'credit'"/>
      <xsl:variable name="t" select="$toplam + $tutar"/>
      <xsl:variable name="a" select="$alacak + $tutar * $alacakMi"/>
      <!-- Credit only ever grows; debit is a difference, rounded so float noise never shows as -0,00. -->
      <xsl:variable name="kumulatifBorc" select="round(($t - $a) * 100) div 100 + 0"/>
      <xsl:variable name="bakiye" select="$kumulatifBorc - $a"/>
      <xsl:variable name="bicimli" select="format-number($tutar, '#.##0,00', 'tr')"/>
      <tr>
        <xsl:if test="$gecersiz"><xsl:attribute name="class">gecersiz</xsl:attribute></xsl:if>
        <!-- YYYY-MM-DD rearranged into DD.MM.YYYY by one translate() call. -->
        <td><xsl:value-of select="translate('HI.FG.ABCD', 'ABCD-FG-HI', gl-cor:postingDate)"/></td>
        <td><xsl:value-of select="gl-cor:lineNumberCounter"/></td>
        <td><xsl:value-of select="gl-cor:documentReference"/></td>
        <td>
          <xsl:if test="$gecersiz"><xsl:call-template name="gecersizNeden"/><xsl:text> </xsl:text></xsl:if>
          <xsl:value-of select="gl-cor:detailComment"/>
        </td>
        <xsl:choose>
          <xsl:when test="$gecersiz">
            <td><xsl:if test="not($alacakMi)"><xsl:value-of select="gl-cor:amount"/></xsl:if></td>
            <td><xsl:if test="$alacakMi"><xsl:value-of select="gl-cor:amount"/></xsl:if></td>
          </xsl:when>
          <xsl:when test="$alacakMi">
            <td></td>
            <td><xsl:value-of select="$bicimli"/><xsl:if test="$bicimli = ''"><xsl:value-of select="gl-cor:amount"/></xsl:if></td>
          </xsl:when>
          <xsl:otherwise>
            <td><xsl:value-of select="$bicimli"/><xsl:if test="$bicimli = ''"><xsl:value-of select="gl-cor:amount"/></xsl:if></td>
            <td></td>
          </xsl:otherwise>
        </xsl:choose>
        <td><xsl:value-of select="format-number($kumulatifBorc, '#.##0,00', 'tr')"/></td>
        <td><xsl:value-of select="format-number($a, '#.##0,00', 'tr')"/></td>
        <td>
          <xsl:choose>
            <xsl:when test="$bakiye &gt; 0.005"><xsl:value-of select="concat(format-number($bakiye, '#.##0,00', 'tr'), ' B')"/></xsl:when>
            <xsl:when test="$bakiye &lt; -0.005"><xsl:value-of select="concat(format-number(-$bakiye, '#.##0,00', 'tr'), ' A')"/></xsl:when>
            <xsl:when test="$bakiye &lt;= 0.005">0,00</xsl:when>
            <xsl:otherwise>hesaplanamadı</xsl:otherwise>
          </xsl:choose>
        </td>
      </tr>
      <xsl:if test="$satir[2]">
        <xsl:call-template name="yaprak">
          <xsl:with-param name="satir" select="$satir[position() &gt; 1]"/>
          <xsl:with-param name="toplam" select="$t"/>
          <xsl:with-param name="alacak" select="$a"/>
        </xsl:call-template>
      </xsl:if>
    </xsl:for-each>
  </xsl:template>

  <!-- A balance on its side: "1.234,56 B" for debit, "1.234,56 A" for credit. -->
  <xsl:template name="bakiye">
    <xsl:param name="v"/>
    <xsl:choose>
      <xsl:when test="string($v) = 'NaN'">hesaplanamadı</xsl:when>
      <xsl:when test="round($v * 100) = 0">0,00</xsl:when>
      <xsl:when test="$v &gt; 0"><xsl:value-of select="concat(format-number($v, '#.##0,00', 'tr'), ' B')"/></xsl:when>
      <xsl:otherwise><xsl:value-of select="concat(format-number(-$v, '#.##0,00', 'tr'), ' A')"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="toplamlar">
    <xsl:variable name="sayilan" select="$satirlar[not($gecersizVar and key('gecersiz', generate-id()))]"/>
    <xsl:variable name="alacak" select="sum($sayilan[normalize-space(gl-cor:debitCreditCode) = 'C' or normalize-space(gl-cor:debitCreditCode) = 'credit']/gl-cor:amount)"/>
    <xsl:variable name="borc" select="sum($sayilan/gl-cor:amount) - $alacak"/>
    <tbody class="toplamlar">
      <tr class="genel-toplam">
        <td colspan="4" class="etiket">
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
        <xsl:with-param name="sol" select="4"/>
        <xsl:with-param name="sag" select="3"/>
      </xsl:call-template>
      <xsl:call-template name="gecersizNotu">
        <xsl:with-param name="sutun" select="9"/>
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
