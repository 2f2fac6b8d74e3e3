#include "verify/signaturecheck.h"

#include "verify/certificates.h"

#include <xmlsec/crypto.h>
#include <xmlsec/errors.h>
#include <xmlsec/keysmngr.h>
#include <xmlsec/xmldsig.h>
#include <xmlsec/xmlsec.h>

#include <QRegularExpression>

#include <cstring>
#include <mutex>

namespace verify::detail {

namespace {

constexpr const char* kC14n = "http://www.w3.org/TR/2001/REC-xml-c14n-20010315";
constexpr const char* kC14nComments = "http://www.w3.org/TR/2001/REC-xml-c14n-20010315#WithComments";
constexpr const char* kRsaSha256 = "http://www.w3.org/2001/04/xmldsig-more#rsa-sha256";
constexpr const char* kSha256 = "http://www.w3.org/2001/04/xmlenc#sha256";
constexpr const char* kEnveloped = "http://www.w3.org/2000/09/xmldsig#enveloped-signature";

thread_local QString t_xmlsecError;

void collectError(const char*, int, const char*, const char* object, const char* subject, int, const char* message)
{
    if (t_xmlsecError.size() < 2000)
        t_xmlsecError += QStringLiteral("%1 %2 %3; ")
                             .arg(QString::fromUtf8(object ? object : ""), QString::fromUtf8(subject ? subject : ""),
                                  QString::fromUtf8(message ? message : ""));
}

QString attribute(const xmlNode* node, const char* name)
{
    xmlChar* value = xmlGetNoNsProp(node, BAD_CAST name);
    const QString text = value ? QString::fromUtf8(reinterpret_cast<const char*>(value)) : QString();
    xmlFree(value);
    return text;
}

bool hasAttribute(const xmlNode* node, const char* name)
{
    return xmlHasNsProp(node, BAD_CAST name, nullptr) != nullptr;
}

QList<xmlNodePtr> children(const xmlNode* node, const char* ns, const char* name)
{
    QList<xmlNodePtr> found;
    for (xmlNodePtr c = node ? node->children : nullptr; c; c = c->next)
        if (isElement(c, ns, name))
            found.append(c);
    return found;
}

xmlNodePtr firstElement(const xmlNode* node)
{
    for (xmlNodePtr c = node ? node->children : nullptr; c; c = c->next)
        if (c->type == XML_ELEMENT_NODE)
            return c;
    return nullptr;
}

xmlNodePtr signedProperties(xmlNodePtr signature)
{
    for (xmlNodePtr object : children(signature, kDsNs, "Object"))
        if (xmlNodePtr qp = child(object, kXadesNs, "QualifyingProperties"))
            if (xmlNodePtr sp = child(qp, kXadesNs, "SignedProperties"))
                return sp;
    return nullptr;
}

// Makes the Id attribute of `node` resolvable as "#id"; false when the id also names another element.
bool registerId(xmlDocPtr doc, xmlNodePtr node, const QString& id)
{
    xmlAttrPtr attr = xmlHasNsProp(node, BAD_CAST "Id", nullptr);
    if (!attr || id.isEmpty())
        return false;
    const QByteArray value = id.toUtf8();
    if (!xmlGetID(doc, BAD_CAST value.constData()))
        xmlAddID(nullptr, doc, BAD_CAST value.constData(), attr);
    const xmlAttrPtr registered = xmlGetID(doc, BAD_CAST value.constData());
    return registered && registered->parent == node;
}

struct Policy
{
    QString problem;
    SignatureCheck::Outcome outcome = SignatureCheck::Outcome::Valid;
    explicit operator bool() const { return problem.isEmpty(); }
};

Policy refuse(SignatureCheck::Outcome outcome, const QString& problem)
{
    return {problem, outcome};
}

// "#id" only: no XPointer expressions, nothing outside the file.
bool bareName(const QString& uri)
{
    if (uri.size() < 2 || uri[0] != '#' || !(uri[1].isLetter() || uri[1] == '_'))
        return false;
    for (qsizetype i = 2; i < uri.size(); ++i) {
        const QChar c = uri[i];
        if (!(c.isLetterOrNumber() || c == '_' || c == '-' || c == '.'))
            return false;
    }
    return true;
}

// Only the shape real files have: two references, RSA-SHA256, SHA-256, inclusive C14N, enveloped signature.
// Checked before any digest is computed, so that nothing outside the file is ever read.
Policy checkShape(xmlNodePtr signature, xmlNodePtr ownProperties, const QString& targetId)
{
    using O = SignatureCheck::Outcome;
    xmlNodePtr info = firstElement(signature);
    if (!isElement(info, kDsNs, "SignedInfo"))
        return refuse(O::Unsupported, QStringLiteral("İmzada SignedInfo bölümü yok"));
    const QString c14n = attribute(child(info, kDsNs, "CanonicalizationMethod"), "Algorithm");
    if (c14n != kC14n && c14n != kC14nComments)
        return refuse(O::Unsupported, QStringLiteral("Desteklenmeyen kanonikleştirme algoritması: %1").arg(c14n));
    const QString method = attribute(child(info, kDsNs, "SignatureMethod"), "Algorithm");
    if (method != kRsaSha256)
        return refuse(O::Unsupported, QStringLiteral("Desteklenmeyen imza algoritması: %1").arg(method));
    if (!ownProperties)
        return refuse(O::Unsupported, QStringLiteral("İmzada XAdES imza özellikleri (SignedProperties) yok"));

    const QList<xmlNodePtr> references = children(info, kDsNs, "Reference");
    int document = 0;
    int properties = 0;
    int target = 0;
    for (xmlNodePtr reference : references) {
        if (!hasAttribute(reference, "URI"))
            return refuse(O::Unsupported, QStringLiteral("İmzada URI'si olmayan bir başvuru var"));
        const QString uri = attribute(reference, "URI");
        if (!uri.isEmpty() && !bareName(uri))
            return refuse(O::Refused, QStringLiteral("İmza dosyanın dışındaki bir kaynağa başvuruyor (URI=\"%1\"); "
                                                     "hiçbir şey getirilmedi, imza geçersiz sayıldı")
                                          .arg(uri.left(200)));
        const QString digest = attribute(child(reference, kDsNs, "DigestMethod"), "Algorithm");
        if (digest != kSha256)
            return refuse(O::Unsupported, QStringLiteral("Desteklenmeyen özet algoritması: %1").arg(digest));
        QStringList transforms;
        for (xmlNodePtr t : children(child(reference, kDsNs, "Transforms"), kDsNs, "Transform"))
            transforms.append(attribute(t, "Algorithm"));
        for (const QString& t : transforms)
            if (t != kEnveloped && t != kC14n && t != kC14nComments)
                return refuse(O::Unsupported, QStringLiteral("Desteklenmeyen dönüşüm algoritması: %1").arg(t));
        if (uri.isEmpty()) {
            if (transforms.value(0) != kEnveloped || transforms.count(kEnveloped) != 1)
                return refuse(O::Unsupported, QStringLiteral("Belgenin tamamına başvuru \"enveloped-signature\" "
                                                             "dönüşümüyle başlamıyor"));
            ++document;
        } else {
            if (transforms.contains(kEnveloped))
                return refuse(O::Unsupported, QStringLiteral("Bir parçaya başvuruda beklenmeyen dönüşüm"));
            const QString id = uri.mid(1);
            if (id == attribute(ownProperties, "Id"))
                ++properties;
            else if (!targetId.isEmpty() && id == targetId)
                ++target;
            else
                return refuse(O::Unsupported,
                              QStringLiteral("İmza beklenmeyen bir öğeye başvuruyor (URI=\"%1\")").arg(uri.left(200)));
        }
    }
    const bool counter = !targetId.isEmpty();
    if (references.size() != 2 || properties != 1 || (counter ? target != 1 || document != 0 : document != 1))
        return refuse(O::Unsupported,
                      counter ? QStringLiteral("Karşı imza beklenen iki başvuruyu (onaylanan imza değeri ve imza "
                                               "özellikleri) taşımıyor")
                              : QStringLiteral("İmza beklenen iki başvuruyu (belgenin tamamı ve imza özellikleri) "
                                               "taşımıyor"));
    return {};
}

struct XmlsecRun
{
    bool ran = false; // false: xmlsec could not process the signature at all
    bool valid = false;
    QStringList failedUris; // references whose digest did not match
    QString error;
};

XmlsecRun runXmlsec(xmlNodePtr signature)
{
    XmlsecRun run;
    t_xmlsecError.clear();
    xmlSecKeysMngrPtr manager = xmlSecKeysMngrCreate();
    if (!manager || xmlSecCryptoAppDefaultKeysMngrInit(manager) < 0) {
        xmlSecKeysMngrDestroy(manager);
        run.error = t_xmlsecError;
        return run;
    }
    xmlSecDSigCtxPtr ctx = xmlSecDSigCtxCreate(manager);
    // The chain is checked separately, against the user's roots, so that its failure has its own message.
    ctx->keyInfoReadCtx.flags |= XMLSEC_KEYINFO_FLAGS_X509DATA_DONT_VERIFY_CERTS;
    xmlSecPtrListAdd(&ctx->keyInfoReadCtx.enabledKeyData,
                     const_cast<void*>(static_cast<const void*>(xmlSecKeyDataX509Id)));
    ctx->enabledReferenceUris =
        xmlSecTransformUriType(xmlSecTransformUriTypeEmpty | xmlSecTransformUriTypeSameDocument);
    for (xmlSecTransformId id : {xmlSecTransformInclC14NId, xmlSecTransformInclC14NWithCommentsId,
                                 xmlSecTransformEnvelopedId, xmlSecTransformSha256Id})
        xmlSecDSigCtxEnableReferenceTransform(ctx, id);
    for (xmlSecTransformId id :
         {xmlSecTransformInclC14NId, xmlSecTransformInclC14NWithCommentsId, xmlSecTransformRsaSha256Id})
        xmlSecDSigCtxEnableSignatureTransform(ctx, id);

    if (xmlSecDSigCtxVerify(ctx, signature) >= 0) {
        run.ran = true;
        run.valid = ctx->status == xmlSecDSigStatusSucceeded;
        const xmlSecSize count = xmlSecPtrListGetSize(&ctx->signedInfoReferences);
        for (xmlSecSize i = 0; i < count; ++i) {
            auto* reference =
                static_cast<xmlSecDSigReferenceCtxPtr>(xmlSecPtrListGetItem(&ctx->signedInfoReferences, i));
            if (reference && reference->status != xmlSecDSigStatusSucceeded)
                run.failedUris.append(
                    QString::fromUtf8(reference->uri ? reinterpret_cast<const char*>(reference->uri) : ""));
        }
    }
    run.error = t_xmlsecError;
    xmlSecDSigCtxDestroy(ctx);
    xmlSecKeysMngrDestroy(manager);
    return run;
}

QString dateText(const QDateTime& t)
{
    return t.isValid() ? t.toOffsetFromUtc(3 * 3600).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) : QString();
}

} // namespace

bool isElement(const xmlNode* node, const char* ns, const char* name)
{
    return node && node->type == XML_ELEMENT_NODE && node->ns && node->ns->href &&
           std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0 &&
           std::strcmp(reinterpret_cast<const char*>(node->ns->href), ns) == 0;
}

xmlNodePtr child(const xmlNode* node, const char* ns, const char* name)
{
    for (xmlNodePtr c = node ? node->children : nullptr; c; c = c->next)
        if (isElement(c, ns, name))
            return c;
    return nullptr;
}

QString textOf(const xmlNode* node)
{
    if (!node)
        return {};
    xmlChar* content = xmlNodeGetContent(node);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(content));
    xmlFree(content);
    return text;
}

bool initialiseXmlsec()
{
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] {
        xmlInitParser();
        ok = xmlSecInit() >= 0 && xmlSecCheckVersion() == 1 && xmlSecCryptoAppInit(nullptr) >= 0 &&
             xmlSecCryptoInit() >= 0;
        xmlSecErrorsSetCallback(collectError);
    });
    return ok;
}

SignatureCheck checkSignature(xmlDocPtr doc, xmlNodePtr signature, xmlNodePtr countersigned, const Roots& roots,
                              const Subject& subject)
{
    using O = SignatureCheck::Outcome;
    SignatureCheck check;
    xmlNodePtr value = child(signature, kDsNs, "SignatureValue");
    check.signatureValue = textOf(value).remove(QRegularExpression(QStringLiteral("\\s")));
    xmlNodePtr properties = signedProperties(signature);
    const QString targetId = countersigned ? attribute(countersigned, "Id") : QString();
    if (countersigned && targetId.isEmpty()) {
        check.outcome = O::Unsupported;
        check.problem = QStringLiteral("Onaylanan imza değerinin kimliği (Id) yok");
        return check;
    }

    // Signer, times and certificate first: they belong in the details whatever else fails.
    xmlNodePtr signedSignatureProperties = child(properties, kXadesNs, "SignedSignatureProperties");
    const QDateTime signingTime =
        QDateTime::fromString(textOf(child(signedSignatureProperties, kXadesNs, "SigningTime")).trimmed(), Qt::ISODate);
    xmlNodePtr cert = child(child(signedSignatureProperties, kXadesNs, "SigningCertificate"), kXadesNs, "Cert");
    const QByteArray certDigest =
        QByteArray::fromBase64(textOf(child(child(cert, kXadesNs, "CertDigest"), kDsNs, "DigestValue")).toLatin1());
    const QString certDigestMethod =
        attribute(child(child(cert, kXadesNs, "CertDigest"), kDsNs, "DigestMethod"), "Algorithm");
    std::vector<Certificate> embedded;
    for (xmlNodePtr data : children(child(signature, kDsNs, "KeyInfo"), kDsNs, "X509Data"))
        for (xmlNodePtr c : children(data, kDsNs, "X509Certificate"))
            if (Certificate parsed = certificateFromBase64(textOf(c).toLatin1()))
                embedded.push_back(std::move(parsed));
    X509* signing = nullptr;
    for (const Certificate& c : embedded)
        if (certDigestMethod == kSha256 && sha256(derOf(c.get())) == certDigest)
            signing = c.get();
    X509* shown = signing ? signing : (embedded.empty() ? nullptr : embedded.front().get());
    if (shown) {
        SignerInfo info = describe(shown);
        info.signingTime = signingTime;
        check.signer = info;
        check.notes.append(QStringLiteral("İmzalayan: %1").arg(info.subject));
        if (!info.identityNumber.isEmpty())
            check.notes.append(QStringLiteral("İmzalayanın VKN/TCKN'si: %1").arg(info.identityNumber));
        check.notes.append(QStringLiteral("Sertifikayı veren: %1").arg(info.issuer));
        check.notes.append(QStringLiteral("Sertifika seri no: %1 · geçerlilik %2 – %3")
                               .arg(info.certificateSerial, dateText(info.validFrom), dateText(info.validUntil)));
    }
    check.notes.append(signingTime.isValid() ? QStringLiteral("İmza zamanı: %1").arg(dateText(signingTime))
                                             : QStringLiteral("İmza zamanı (SigningTime) yok"));

    const Policy policy = checkShape(signature, properties, targetId);
    if (!policy) {
        check.outcome = policy.outcome;
        check.problem = policy.problem;
        return check;
    }
    if (!registerId(doc, properties, attribute(properties, "Id")) ||
        (countersigned && !registerId(doc, countersigned, targetId))) {
        check.outcome = O::Unsupported;
        check.problem = QStringLiteral("İmzanın başvurduğu kimlik (Id) dosyada birden çok öğeyi gösteriyor");
        return check;
    }
    if (embedded.empty()) {
        check.problem = QStringLiteral("İmzada okunabilir bir sertifika yok");
        return check;
    }

    const XmlsecRun run = runXmlsec(signature);
    const QString propertiesUri = '#' + attribute(properties, "Id");
    if (!run.ran) {
        check.problem = QStringLiteral("İmza denetlenemedi (xmlsec: %1)").arg(run.error.left(300));
        return check;
    }
    if (run.failedUris.contains(QString())) {
        check.problem = subject.changed;
        return check;
    }
    if (!targetId.isEmpty() && run.failedUris.contains('#' + targetId)) {
        check.problem = QStringLiteral("Karşı imza bu imzayı onaylamıyor: onaylanan imza değeri farklı");
        return check;
    }
    if (run.failedUris.contains(propertiesUri)) {
        check.problem = QStringLiteral("İmza bilgileri (imza zamanı, sertifika) imzalandıktan sonra değiştirilmiş");
        return check;
    }
    if (!signing) {
        check.problem = QStringLiteral("Gömülü sertifika imzalayanın sertifikası değil: XAdES sertifika özeti "
                                       "tutmuyor (sertifika değiştirilmiş)");
        return check;
    }
    if (!run.valid) {
        check.problem = QStringLiteral("İmza değeri geçersiz: sertifikadaki anahtarla doğrulanmıyor");
        return check;
    }
    const QString serial = textOf(child(child(cert, kXadesNs, "IssuerSerial"), kDsNs, "X509SerialNumber")).trimmed();
    if (!serial.isEmpty() && serial != check.signer->certificateSerial) {
        check.problem = QStringLiteral("İmza özelliklerindeki sertifika seri numarası (%1) gömülü sertifikanınkiyle "
                                       "(%2) aynı değil")
                            .arg(serial, check.signer->certificateSerial);
        return check;
    }
    if (signingTime.isValid() && (signingTime < check.signer->validFrom || signingTime > check.signer->validUntil)) {
        check.problem =
            QStringLiteral("Sertifika imza anında geçerli değildi (geçerlilik %1 – %2, imza %3)")
                .arg(dateText(check.signer->validFrom), dateText(check.signer->validUntil), dateText(signingTime));
        return check;
    }
    if (signingTime.isValid())
        check.notes.append(QStringLiteral("Sertifika imza anında geçerliydi"));
    else
        check.notes.append(QStringLiteral("İmza zamanı olmadığından sertifikanın o anki geçerliliği denetlenemedi"));

    QList<X509*> others;
    for (const Certificate& c : embedded)
        if (c.get() != signing)
            others.append(c.get());
    const ChainCheck chain = roots.check(signing, others, signingTime);
    check.notes.append(chain.text);
    if (chain.checked && !chain.ok) {
        check.problem = chain.text;
        return check;
    }
    check.outcome = O::Valid;
    return check;
}

} // namespace verify::detail
