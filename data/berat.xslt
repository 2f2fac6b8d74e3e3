<?xml version="1.0" encoding="UTF-8"?>
<!-- Placeholder until the full layout lands: the document's text, readable but unformatted. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html" encoding="UTF-8"/>
  <xsl:template match="/">
    <html><head><meta charset="UTF-8"/><title>berat</title></head>
    <body><pre><xsl:value-of select="normalize-space(/)"/></pre></body></html>
  </xsl:template>
</xsl:stylesheet>
