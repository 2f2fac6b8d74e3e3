<?xml version="1.0" encoding="UTF-8"?>
<!--
  Defter raporu (ledger report, "Berat (Defter Raporu)") as a printable A4 page: the taxpayer,
  accountant and document sections, then each account's period debit and credit with their counts.

  Plain XSLT 1.0 without extension functions, so that any engine (libxslt, MSXML, .NET) renders it.
  Elements are matched by namespace URI; the prefixes below are only this file's own names.
-->
<xsl:stylesheet version="1.0"
    xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:xbrli="http://www.xbrl.org/2003/instance"
    xmlns:gl-cor="http://www.xbrl.org/int/gl/cor/2006-10-25"
    xmlns:gl-bus="http://www.xbrl.org/int/gl/bus/2006-10-25"
    xmlns:gl-muc="http://www.xbrl.org/int/gl/muc/2006-10-25"
    xmlns:ds="http://www.w3.org/2000/09/xmldsig#"
    xmlns:xades="http://uri.etsi.org/01903/v1.3.2#"
    exclude-result-prefixes="xbrli gl-cor gl-bus gl-muc ds xades">

  <xsl:output method="html" encoding="UTF-8" indent="no" doctype-system="about:legacy-compat"/>
  <xsl:decimal-format name="tr" decimal-separator="," grouping-separator="." NaN="" minus-sign="-"/>

  <xsl:variable name="xbrl" select="/*/xbrli:xbrl"/>
  <xsl:variable name="kayitlar" select="$xbrl/gl-cor:accountingEntries"/>
  <xsl:variable name="belge" select="$kayitlar/gl-cor:documentInfo"/>
  <xsl:variable name="kurum" select="$kayitlar/gl-cor:entityInformation"/>
  <xsl:variable name="satirlar" select="$kayitlar/gl-cor:entryHeader/gl-cor:entryDetail"/>
  <!--
    Lines that cannot be read one way only are shown marked "geçersiz" and left out of every total, so
    that no total looks balanced on a line the program would have to guess at: a debit/credit code
    other than D, C, debit, credit; an amount that is not a plain decimal with at most two decimals
    (zeros beyond are harmless), or of 90 trillion or more, or Infinity. Keys, so that the checks
    run once per line, each on the field itself; a ledger without such lines then pays a lookup per
    line more.
  -->
  <xsl:key name="gecersiz" use="generate-id()" match="gl-cor:entryDetail[
        not(gl-cor:debitCreditCode[contains('|D|C|debit|credit|', concat('|', normalize-space(translate(., '|', ' ')), '|'))])
        or not(gl-cor:amount[round(. div 180000000000000) = 0
          and translate(substring(substring-after(., '.'), 3), '0 &#9;&#10;&#13;', '') = ''])]"/>
  <xsl:variable name="gecersizler" select="$satirlar[key('gecersiz', generate-id())]"/>
  <!-- Tested once per line: a boolean, since every use of a node-set variable copies the set. -->
  <xsl:variable name="gecersizVar" select="boolean($gecersizler)"/>
  <xsl:variable name="segment" select="$xbrl/xbrli:context/xbrli:entity/xbrli:segment"/>
  <xsl:variable name="imza" select="/*/ds:Signature"/>
  <xsl:variable name="imzaOzellikleri" select="$imza/ds:Object/xades:QualifyingProperties/xades:SignedProperties/xades:SignedSignatureProperties"/>

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
  <xsl:variable name="defterTuru" select="'Berat (Defter Raporu)'"/>
  <xsl:variable name="baslikMetni">
    <xsl:value-of select="$defterTuru"/>
    <xsl:if test="$mukellef != ''"><xsl:value-of select="concat(' – ', $mukellef)"/></xsl:if>
    <xsl:if test="$donem != ''"><xsl:value-of select="concat(' – ', $donem)"/></xsl:if>
  </xsl:variable>

  <xsl:key name="hesap" match="gl-cor:entryDetail" use="normalize-space(gl-cor:account/gl-cor:accountMainID)"/>

  <xsl:template match="/">
    <html lang="tr">
      <head>
        <title><xsl:value-of select="$baslikMetni"/></title>
        <style>
          <xsl:call-template name="ortakStil"/>
          <xsl:call-template name="bolumStili"/>
        </style>
      </head>
      <body>
        <xsl:call-template name="sayfaDuzeni"/>
      </body>
    </html>
  </xsl:template>

  <xsl:template match="/" mode="icerik">
    <xsl:call-template name="mukellefBasligi">
      <xsl:with-param name="baslik" select="'BERAT (DEFTER RAPORU)'"/>
      <xsl:with-param name="kimlik" select="false()"/>
    </xsl:call-template>
    <xsl:call-template name="mukellefBilgileri"/>
    <xsl:call-template name="meslekMensubu"/>
    <xsl:call-template name="dokumanBilgileri"/>
    <xsl:call-template name="imzaBilgileri"/>
    <h2>HESAP DETAYI</h2>
    <table class="sayfa rapor">
      <colgroup>
        <col class="kod"/><col class="ad"/><col class="sayi"/><col class="tutar"/><col class="sayi"/><col class="tutar"/>
      </colgroup>
      <thead>
        <tr>
          <th rowspan="2">Hesap Kodu</th>
          <th rowspan="2">Hesap Adı</th>
          <th colspan="4" class="grup">Dönem İçi Değişiklikler</th>
        </tr>
        <tr>
          <th class="sayi">Borç İşlem Sayısı</th>
          <th class="tutar">Borç Tutarı</th>
          <th class="sayi">Alacak İşlem Sayısı</th>
          <th class="tutar">Alacak Tutarı</th>
        </tr>
      </thead>
      <tbody class="hesaplar">
        <!-- One row per account, in the order of first appearance; its debit and credit lines summed. -->
        <xsl:for-each select="$satirlar[generate-id() = generate-id(key('hesap', normalize-space(gl-cor:account/gl-cor:accountMainID))[1])]">
          <xsl:variable name="grup" select="key('hesap', normalize-space(gl-cor:account/gl-cor:accountMainID))[not($gecersizVar and key('gecersiz', generate-id()))]"/>
          <xsl:call-template name="hesapSatiri">
            <xsl:with-param name="borc" select="$grup[normalize-space(gl-cor:debitCreditCode) = 'D' or normalize-space(gl-cor:debitCreditCode) = 'debit']"/>
            <xsl:with-param name="alacak" select="$grup[normalize-space(gl-cor:debitCreditCode) = 'C' or normalize-space(gl-cor:debitCreditCode) = 'credit']"/>
          </xsl:call-template>
        </xsl:for-each>
      </tbody>
      <tbody class="toplamlar">
        <xsl:variable name="borc" select="$satirlar[not($gecersizVar and key('gecersiz', generate-id()))][normalize-space(gl-cor:debitCreditCode) = 'D' or normalize-space(gl-cor:debitCreditCode) = 'debit']"/>
        <xsl:variable name="alacak" select="$satirlar[not($gecersizVar and key('gecersiz', generate-id()))][normalize-space(gl-cor:debitCreditCode) = 'C' or normalize-space(gl-cor:debitCreditCode) = 'credit']"/>
        <tr class="genel-toplam">
          <td colspan="2">Toplam</td>
          <td class="sayi borc-sayisi">
            <xsl:call-template name="sayi">
              <xsl:with-param name="v" select="sum($borc/gl-cor:documentApplyToNumber)"/>
              <xsl:with-param name="bicim" select="'#.##0'"/>
            </xsl:call-template>
          </td>
          <td class="tutar borc">
            <xsl:call-template name="tutar">
              <xsl:with-param name="v" select="sum($borc/gl-cor:amount)"/>
            </xsl:call-template>
          </td>
          <td class="sayi alacak-sayisi">
            <xsl:call-template name="sayi">
              <xsl:with-param name="v" select="sum($alacak/gl-cor:documentApplyToNumber)"/>
              <xsl:with-param name="bicim" select="'#.##0'"/>
            </xsl:call-template>
          </td>
          <td class="tutar alacak">
            <xsl:call-template name="tutar">
              <xsl:with-param name="v" select="sum($alacak/gl-cor:amount)"/>
            </xsl:call-template>
          </td>
        </tr>
        <xsl:call-template name="gecersizNotu">
          <xsl:with-param name="sutun" select="6"/>
        </xsl:call-template>
      </tbody>
    </table>
    <xsl:call-template name="gecersizListesi"/>
  </xsl:template>

  <xsl:template name="hesapSatiri">
    <xsl:param name="borc"/>
    <xsl:param name="alacak"/>
    <tr class="hesap">
      <td class="kod"><xsl:value-of select="gl-cor:account/gl-cor:accountMainID"/></td>
      <td class="ad"><xsl:value-of select="gl-cor:account/gl-cor:accountMainDescription"/></td>
      <td class="sayi borc-sayisi">
        <xsl:call-template name="sayi">
          <xsl:with-param name="v" select="sum($borc/gl-cor:documentApplyToNumber)"/>
          <xsl:with-param name="bicim" select="'#.##0'"/>
        </xsl:call-template>
      </td>
      <td class="tutar borc">
        <xsl:call-template name="tutar">
          <xsl:with-param name="v" select="sum($borc/gl-cor:amount)"/>
        </xsl:call-template>
      </td>
      <td class="sayi alacak-sayisi">
        <xsl:call-template name="sayi">
          <xsl:with-param name="v" select="sum($alacak/gl-cor:documentApplyToNumber)"/>
          <xsl:with-param name="bicim" select="'#.##0'"/>
        </xsl:call-template>
      </td>
      <td class="tutar alacak">
        <xsl:call-template name="tutar">
          <xsl:with-param name="v" select="sum($alacak/gl-cor:amount)"/>
        </xsl:call-template>
      </td>
    </tr>
  </xsl:template>

  <xsl:template name="bolumStili">
@page { size: A4 portrait; margin: 0; }
table.bilgi { border-collapse: collapse; width: 100%; }
table.bilgi th { width: 26%; text-align: left; font-weight: normal; color: #444; padding: 0.5pt 8pt 0.5pt 4pt;
                 vertical-align: top; }
table.bilgi td { padding: 0.5pt 4pt; vertical-align: top; overflow-wrap: anywhere; }
table.bilgi tr { border-bottom: 0.25pt solid #ddd; }
table.liste { border-collapse: collapse; width: 100%; table-layout: fixed; }
table.liste th { text-align: left; font-weight: bold; background: #f3f3f3; border-bottom: 0.5pt solid #888;
                 padding: 2pt 4pt; }
table.liste th.grup { text-align: center; }
table.liste td { padding: 1pt 4pt; border-bottom: 0.25pt solid #ddd; overflow-wrap: anywhere; }
table.liste col.kod { width: 14%; }
table.liste col.ad { width: 46%; }
table.liste col.tutar { width: 20%; }
table.liste col.sayi { width: 12%; }
table.liste col.tutar-dar { width: 16%; }
table.liste td.tutar, table.liste th.tutar { text-align: right; font-variant-numeric: tabular-nums; }
table.liste tbody.toplamlar td { font-weight: bold; border-top: 0.75pt solid #000; border-bottom: 1.5pt double #000; }
p.imza-degeri { font-family: "Courier New", "Liberation Mono", monospace; font-size: 8pt; margin: 2pt 4pt;
                overflow-wrap: anywhere; word-break: break-all; }
p.not { margin: 2pt 4pt; font-style: italic; }
col.kod { width: 11%; }
col.ad { width: 31%; }
col.sayi { width: 11%; }
col.tutar { width: 18%; }
table.sayfa > thead > tr > th.grup { text-align: center; border-bottom: 0.5pt solid #888; }
table.sayfa > thead > tr > th.sayi, td.sayi { text-align: right; font-variant-numeric: tabular-nums; }
tr.hesap td { border-bottom: 0.25pt solid #ddd; }
  </xsl:template>

  <!-- ===== Shared with berat.xslt: the sections about the taxpayer, accountant and document ===== -->

  <!-- Lines marked "geçersiz", one paragraph each: this view shows only sums, so each is named here. -->
  <xsl:template name="gecersizListesi">
    <xsl:for-each select="$gecersizler">
      <p class="gecersiz">
        <xsl:value-of select="concat('Satır ', normalize-space(gl-cor:lineNumber), ' (hesap ', normalize-space(gl-cor:account/gl-cor:accountMainID), ', tutar ', normalize-space(gl-cor:amount), '): ')"/>
        <xsl:call-template name="gecersizNeden"/>
        <xsl:text>. Toplamlara katılmadı.</xsl:text>
      </p>
    </xsl:for-each>
  </xsl:template>


  <xsl:template name="mukellefBilgileri">
    <h2>MÜKELLEF BİLGİLERİ</h2>
    <table class="bilgi mukellef-bilgileri">
      <xsl:call-template name="bilgiSatiri">
        <xsl:with-param name="etiket">
          <xsl:call-template name="kimlikEtiketi"/>
        </xsl:with-param>
        <xsl:with-param name="deger" select="$kimlikNo"/>
      </xsl:call-template>
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
        <xsl:with-param name="etiket" select="'Telefon'"/>
        <xsl:with-param name="deger">
          <xsl:for-each select="$kurum/gl-bus:entityPhoneNumber/gl-bus:phoneNumber[normalize-space() != '']">
            <xsl:if test="position() &gt; 1">, </xsl:if>
            <xsl:value-of select="normalize-space()"/>
          </xsl:for-each>
        </xsl:with-param>
      </xsl:call-template>
      <xsl:call-template name="bilgiSatiri">
        <xsl:with-param name="etiket" select="'Faks'"/>
        <xsl:with-param name="deger" select="$kurum/gl-bus:entityFaxNumberStructure/gl-bus:entityFaxNumber"/>
      </xsl:call-template>
      <xsl:call-template name="bilgiSatiri">
        <xsl:with-param name="etiket" select="'E-posta'"/>
        <xsl:with-param name="deger" select="$kurum/gl-bus:entityEmailAddressStructure/gl-bus:entityEmailAddress"/>
      </xsl:call-template>
      <xsl:call-template name="bilgiSatiri">
        <xsl:with-param name="etiket" select="'Adres'"/>
        <xsl:with-param name="deger">
          <xsl:for-each select="$kurum/gl-bus:organizationAddress[1]">
            <xsl:value-of select="normalize-space(concat(gl-bus:organizationAddressStreet, ' ', gl-bus:organizationAddressStreet2, ' ', gl-bus:organizationBuildingNumber, ' ', gl-bus:organizationAddressZipOrPostalCode, ' ', gl-bus:organizationAddressCity, ' ', gl-bus:organizationAddressCountry))"/>
          </xsl:for-each>
        </xsl:with-param>
      </xsl:call-template>
    </table>
  </xsl:template>

  <xsl:template name="meslekMensubu">
    <xsl:variable name="m" select="$kurum/gl-bus:accountantInformation"/>
    <xsl:if test="normalize-space($m) != ''">
      <h2>MESLEK MENSUBU BİLGİLERİ</h2>
      <table class="bilgi meslek-mensubu">
        <xsl:call-template name="bilgiSatiri">
          <xsl:with-param name="etiket" select="'Unvanı'"/>
          <xsl:with-param name="deger" select="$m/gl-bus:accountantName"/>
        </xsl:call-template>
        <xsl:call-template name="bilgiSatiri">
          <xsl:with-param name="etiket" select="'Telefon'"/>
          <xsl:with-param name="deger" select="$m/gl-bus:accountantContactInformation/gl-bus:accountantContactPhone/gl-bus:accountantContactPhoneNumber"/>
        </xsl:call-template>
        <xsl:call-template name="bilgiSatiri">
          <xsl:with-param name="etiket" select="'Faks'"/>
          <xsl:with-param name="deger" select="$m/gl-bus:accountantContactInformation/gl-bus:accountantContactFax/gl-bus:accountantContactFaxNumber"/>
        </xsl:call-template>
        <xsl:call-template name="bilgiSatiri">
          <xsl:with-param name="etiket" select="'E-posta'"/>
          <xsl:with-param name="deger" select="$m/gl-bus:accountantContactInformation/gl-bus:accountantContactEmail/gl-bus:accountantContactEmailAddress"/>
        </xsl:call-template>
        <xsl:call-template name="bilgiSatiri">
          <xsl:with-param name="etiket" select="'Sözleşme'"/>
          <xsl:with-param name="deger" select="$m/gl-bus:accountantEngagementTypeDescription"/>
        </xsl:call-template>
      </table>
    </xsl:if>
  </xsl:template>

  <xsl:template name="dokumanBilgileri">
    <h2>DOKÜMAN BİLGİLERİ</h2>
    <table class="bilgi dokuman">
      <xsl:call-template name="bilgiSatiri">
        <xsl:with-param name="etiket" select="'Doküman Tipi'"/>
        <xsl:with-param name="deger" select="$defterTuru"/>
      </xsl:call-template>
      <xsl:call-template name="bilgiSatiri">
        <xsl:with-param name="etiket" select="'Oluşturan'"/>
        <xsl:with-param name="deger" select="$belge/gl-bus:creator"/>
      </xsl:call-template>
      <xsl:call-template name="bilgiSatiri">
        <xsl:with-param name="etiket" select="'Dönemi'"/>
        <xsl:with-param name="deger" select="$donem"/>
      </xsl:call-template>
      <xsl:call-template name="bilgiSatiri">
        <xsl:with-param name="etiket" select="'Tekil No'"/>
        <xsl:with-param name="deger" select="$belge/gl-cor:uniqueID"/>
      </xsl:call-template>
      <xsl:call-template name="bilgiSatiri">
        <xsl:with-param name="etiket" select="'Oluşturma Tarihi'"/>
        <xsl:with-param name="deger">
          <xsl:call-template name="tarih">
            <xsl:with-param name="t" select="$belge/gl-cor:creationDate"/>
          </xsl:call-template>
        </xsl:with-param>
      </xsl:call-template>
      <xsl:call-template name="bilgiSatiri">
        <xsl:with-param name="etiket" select="'Kaynak Uygulama'"/>
        <xsl:with-param name="deger" select="$belge/gl-bus:sourceApplication"/>
      </xsl:call-template>
      <xsl:call-template name="bilgiSatiri">
        <xsl:with-param name="etiket" select="'Hesap Dönemi'"/>
        <xsl:with-param name="deger">
          <xsl:variable name="bas">
            <xsl:call-template name="tarih">
              <xsl:with-param name="t" select="$kurum/gl-bus:fiscalYearStart"/>
            </xsl:call-template>
          </xsl:variable>
          <xsl:variable name="son">
            <xsl:call-template name="tarih">
              <xsl:with-param name="t" select="$kurum/gl-bus:fiscalYearEnd"/>
            </xsl:call-template>
          </xsl:variable>
          <xsl:value-of select="$bas"/>
          <xsl:if test="$bas != '' and $son != ''"> – </xsl:if>
          <xsl:value-of select="$son"/>
        </xsl:with-param>
      </xsl:call-template>
      <xsl:call-template name="bilgiSatiri">
        <xsl:with-param name="etiket" select="'ETTN'"/>
        <xsl:with-param name="deger" select="$segment/gl-cor:uniqueID"/>
      </xsl:call-template>
      <xsl:call-template name="bilgiSatiri">
        <xsl:with-param name="etiket" select="'Açıklama'"/>
        <xsl:with-param name="deger" select="$belge/gl-cor:entriesComment"/>
      </xsl:call-template>
      <xsl:call-template name="bilgiSatiri">
        <xsl:with-param name="etiket" select="'İlgili Defter Boyutu'"/>
        <xsl:with-param name="deger">
          <xsl:if test="normalize-space($segment/gl-bus:measurableQuantity) != ''">
            <xsl:call-template name="tutar">
              <xsl:with-param name="v" select="$segment/gl-bus:measurableQuantity"/>
            </xsl:call-template>
            <xsl:text> MB</xsl:text>
          </xsl:if>
        </xsl:with-param>
      </xsl:call-template>
      <xsl:call-template name="bilgiSatiri">
        <xsl:with-param name="etiket" select="'Yevmiye Maddesi Sayısı'"/>
        <xsl:with-param name="deger">
          <xsl:if test="normalize-space($segment/gl-bus:numberOfEntries) != ''">
            <xsl:call-template name="sayi">
              <xsl:with-param name="v" select="$segment/gl-bus:numberOfEntries"/>
              <xsl:with-param name="bicim" select="'#.##0'"/>
            </xsl:call-template>
          </xsl:if>
        </xsl:with-param>
      </xsl:call-template>
    </table>
  </xsl:template>

  <!-- The taxpayer's signature: who signed, with which certificate provider, and when. -->
  <xsl:template name="imzaBilgileri">
    <xsl:if test="$imza">
      <h2>İMZA BİLGİLERİ</h2>
      <table class="bilgi imza">
        <xsl:call-template name="bilgiSatiri">
          <xsl:with-param name="etiket" select="'İmzalayan'"/>
          <xsl:with-param name="deger" select="normalize-space($imza/ds:KeyInfo/ds:X509Data/ds:X509SubjectName)"/>
        </xsl:call-template>
        <xsl:call-template name="bilgiSatiri">
          <xsl:with-param name="etiket" select="'Sertifika Sağlayıcı'"/>
          <xsl:with-param name="deger" select="normalize-space($imzaOzellikleri/xades:SigningCertificate/xades:Cert/xades:IssuerSerial/ds:X509IssuerName)"/>
        </xsl:call-template>
        <xsl:call-template name="bilgiSatiri">
          <xsl:with-param name="etiket" select="'İmza Zamanı'"/>
          <xsl:with-param name="deger">
            <xsl:call-template name="tarih">
              <xsl:with-param name="t" select="$imzaOzellikleri/xades:SigningTime"/>
            </xsl:call-template>
          </xsl:with-param>
        </xsl:call-template>
      </table>
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
