#include "verify/signaturecheck.h"

#include "verify/certificates.h"

#include <xmlsec/crypto.h>
#include <xmlsec/errors.h>
#include <xmlsec/keysmngr.h>
#include <xmlsec/xmldsig.h>
#include <xmlsec/xmlsec.h>

#include <QRegularExpression>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <mutex>

namespace verify::detail {

namespace {

constexpr const char* kC14n = "http://www.w3.org/TR/2001/REC-xml-c14n-20010315";
constexpr const char* kC14nComments = "http://www.w3.org/TR/2001/REC-xml-c14n-20010315#WithComments";
constexpr const char* kSha256 = "http://www.w3.org/2001/04/xmlenc#sha256";

// What e-seals sign with today. Anything else is either SHA-1 (refused: too weak) or not checked at all.
struct Method
{
    const char* uri;
    KeyFacts::Type key;
    const char* name;
};
constexpr Method kMethods[] = {
    {"http://www.w3.org/2001/04/xmldsig-more#rsa-sha256", KeyFacts::Type::Rsa, "RSA-SHA256"},
    {"http://www.w3.org/2001/04/xmldsig-more#rsa-sha384", KeyFacts::Type::Rsa, "RSA-SHA384"},
    {"http://www.w3.org/2001/04/xmldsig-more#rsa-sha512", KeyFacts::Type::Rsa, "RSA-SHA512"},
    {"http://www.w3.org/2001/04/xmldsig-more#ecdsa-sha256", KeyFacts::Type::Ec, "ECDSA-SHA256"},
    {"http://www.w3.org/2001/04/xmldsig-more#ecdsa-sha384", KeyFacts::Type::Ec, "ECDSA-SHA384"},
    {"http://www.w3.org/2001/04/xmldsig-more#ecdsa-sha512", KeyFacts::Type::Ec, "ECDSA-SHA512"},
};
constexpr const char* kSha1Methods[] = {"http://www.w3.org/2000/09/xmldsig#rsa-sha1",
                                        "http://www.w3.org/2001/04/xmldsig-more#ecdsa-sha1",
                                        "http://www.w3.org/2000/09/xmldsig#dsa-sha1"};
struct Digest
{
    const char* uri;
    int bits;
};
constexpr Digest kDigests[] = {{kSha256, 256},
                               {"http://www.w3.org/2001/04/xmldsig-more#sha384", 384},
                               {"http://www.w3.org/2001/04/xmlenc#sha512", 512}};
constexpr const char* kSha1 = "http://www.w3.org/2000/09/xmldsig#sha1";

const Method* methodOf(const QString& uri)
{
    for (const Method& m : kMethods) {
        if (uri == QLatin1String(m.uri)) {
            return &m;
        }
    }
    return nullptr;
}

// 0 for a digest we do not know.
int digestBits(const QString& uri)
{
    for (const Digest& d : kDigests) {
        if (uri == QLatin1String(d.uri)) {
            return d.bits;
        }
    }
    return 0;
}
constexpr const char* kEnveloped = "http://www.w3.org/2000/09/xmldsig#enveloped-signature";

thread_local QString t_xmlsecError;

void collectError(const char*, int, const char*, const char* object, const char* subject, int, const char* message)
{
    if (t_xmlsecError.size() < 2000) {
        t_xmlsecError += QStringLiteral("%1 %2 %3; ")
                             .arg(QString::fromUtf8(object ? object : ""), QString::fromUtf8(subject ? subject : ""),
                                  QString::fromUtf8(message ? message : ""));
    }
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
    for (xmlNodePtr c = node ? node->children : nullptr; c; c = c->next) {
        if (isElement(c, ns, name)) {
            found.append(c);
        }
    }
    return found;
}

xmlNodePtr firstElement(const xmlNode* node)
{
    for (xmlNodePtr c = node ? node->children : nullptr; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE) {
            return c;
        }
    }
    return nullptr;
}

xmlNodePtr signedProperties(xmlNodePtr signature)
{
    for (xmlNodePtr object : children(signature, kDsNs, "Object")) {
        if (xmlNodePtr qp = child(object, kXadesNs, "QualifyingProperties")) {
            if (xmlNodePtr sp = child(qp, kXadesNs, "SignedProperties")) {
                return sp;
            }
        }
    }
    return nullptr;
}

// Makes the Id attribute of `node` resolvable as "#id"; false when the id also names another element.
bool registerId(xmlDocPtr doc, xmlNodePtr node, const QString& id)
{
    xmlAttrPtr attr = xmlHasNsProp(node, BAD_CAST "Id", nullptr);
    if (!attr || id.isEmpty()) {
        return false;
    }
    const QByteArray value = id.toUtf8();
    if (!xmlGetID(doc, BAD_CAST value.constData())) {
        xmlAddID(nullptr, doc, BAD_CAST value.constData(), attr);
    }
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
    if (uri.size() < 2 || uri[0] != '#' || !(uri[1].isLetter() || uri[1] == '_')) {
        return false;
    }
    for (qsizetype i = 2; i < uri.size(); ++i) {
        const QChar c = uri[i];
        if (!(c.isLetterOrNumber() || c == '_' || c == '-' || c == '.')) {
            return false;
        }
    }
    return true;
}

// Only the shape real files have: two references, inclusive C14N, enveloped signature, and the algorithms above.
// Checked before any digest is computed, so that nothing outside the file is ever read.
Policy checkShape(xmlNodePtr signature, xmlNodePtr ownProperties, const QString& targetId)
{
    using O = SignatureCheck::Outcome;
    xmlNodePtr info = firstElement(signature);
    if (!isElement(info, kDsNs, "SignedInfo")) {
        return refuse(O::Unsupported, QStringLiteral("İmzada SignedInfo bölümü yok"));
    }
    const QString c14n = attribute(child(info, kDsNs, "CanonicalizationMethod"), "Algorithm");
    if (c14n != kC14n && c14n != kC14nComments) {
        return refuse(O::Uncheckable, QStringLiteral("Bu kanonikleştirme algoritması denetlenemiyor: %1").arg(c14n));
    }
    const QString method = attribute(child(info, kDsNs, "SignatureMethod"), "Algorithm");
    if (std::any_of(std::begin(kSha1Methods), std::end(kSha1Methods),
                    [&](const char* weak) { return method == QLatin1String(weak); })) {
        return refuse(O::Invalid, QStringLiteral("İmza SHA-1 ile atılmış (%1): SHA-1 artık güvenli sayılmadığından "
                                                 "bu imza kabul edilmez")
                                      .arg(method));
    }
    if (!methodOf(method)) {
        return refuse(O::Uncheckable, QStringLiteral("Bu imza algoritması denetlenemiyor: %1").arg(method));
    }
    if (!ownProperties) {
        return refuse(O::Unsupported, QStringLiteral("İmzada XAdES imza özellikleri (SignedProperties) yok"));
    }

    const QList<xmlNodePtr> references = children(info, kDsNs, "Reference");
    int document = 0;
    int properties = 0;
    int target = 0;
    for (xmlNodePtr reference : references) {
        if (!hasAttribute(reference, "URI")) {
            return refuse(O::Unsupported, QStringLiteral("İmzada URI'si olmayan bir başvuru var"));
        }
        const QString uri = attribute(reference, "URI");
        if (!uri.isEmpty() && !bareName(uri)) {
            return refuse(O::Refused, QStringLiteral("İmza dosyanın dışındaki bir kaynağa başvuruyor (URI=\"%1\"); "
                                                     "hiçbir şey getirilmedi, imza geçersiz sayıldı")
                                          .arg(uri.left(200)));
        }
        const QString digest = attribute(child(reference, kDsNs, "DigestMethod"), "Algorithm");
        if (digest == QLatin1String(kSha1)) {
            return refuse(O::Invalid, QStringLiteral("İmzadaki bir özet SHA-1 ile alınmış: SHA-1 artık güvenli "
                                                     "sayılmadığından bu imza kabul edilmez"));
        }
        if (!digestBits(digest)) {
            return refuse(O::Uncheckable, QStringLiteral("Bu özet algoritması denetlenemiyor: %1").arg(digest));
        }
        QStringList transforms;
        for (xmlNodePtr t : children(child(reference, kDsNs, "Transforms"), kDsNs, "Transform")) {
            transforms.append(attribute(t, "Algorithm"));
        }
        for (const QString& t : transforms) {
            if (t != kEnveloped && t != kC14n && t != kC14nComments) {
                return refuse(O::Uncheckable, QStringLiteral("Bu dönüşüm algoritması denetlenemiyor: %1").arg(t));
            }
        }
        if (uri.isEmpty()) {
            if (transforms.value(0) != kEnveloped || transforms.count(kEnveloped) != 1) {
                return refuse(O::Unsupported, QStringLiteral("Belgenin tamamına başvuru \"enveloped-signature\" "
                                                             "dönüşümüyle başlamıyor"));
            }
            ++document;
        } else {
            if (transforms.contains(kEnveloped)) {
                return refuse(O::Unsupported, QStringLiteral("Bir parçaya başvuruda beklenmeyen dönüşüm"));
            }
            const QString id = uri.mid(1);
            if (id == attribute(ownProperties, "Id")) {
                ++properties;
            } else if (!targetId.isEmpty() && id == targetId) {
                ++target;
            } else {
                return refuse(O::Unsupported,
                              QStringLiteral("İmza beklenmeyen bir öğeye başvuruyor (URI=\"%1\")").arg(uri.left(200)));
            }
        }
    }
    const bool counter = !targetId.isEmpty();
    if (references.size() != 2 || properties != 1 || (counter ? target != 1 || document != 0 : document != 1)) {
        return refuse(O::Unsupported,
                      counter ? QStringLiteral("Karşı imza beklenen iki başvuruyu (onaylanan imza değeri ve imza "
                                               "özellikleri) taşımıyor")
                              : QStringLiteral("İmza beklenen iki başvuruyu (belgenin tamamı ve imza özellikleri) "
                                               "taşımıyor"));
    }
    return {};
}

// One DER length (short form, or long form in as few bytes as it takes); -1 when malformed.
qsizetype derLength(const QByteArray& der, qsizetype& at)
{
    if (at >= der.size()) {
        return -1;
    }
    const auto first = uchar(der[at++]);
    if (first < 0x80) {
        return first;
    }
    const int count = first & 0x7f;
    if (count == 0 || count > 2 || at + count > der.size() || uchar(der[at]) == 0) {
        return -1;
    }
    qsizetype length = 0;
    for (int i = 0; i < count; ++i) {
        length = length * 256 + uchar(der[at++]);
    }
    return length < 0x80 ? -1 : length;
}

// A DER SEQUENCE of the two INTEGERs r and s as r‖s, each padded to `size` bytes.
std::optional<QByteArray> rsFromDer(const QByteArray& der, int size, QString& problem)
{
    qsizetype at = 0;
    if (der.isEmpty() || uchar(der[at++]) != 0x30) {
        problem = QStringLiteral("DER dizisi (SEQUENCE) ile başlamıyor");
        return std::nullopt;
    }
    const qsizetype length = derLength(der, at);
    if (length < 0 || at + length > der.size()) {
        problem = QStringLiteral("DER dizisinin uzunluğu bozuk");
        return std::nullopt;
    }
    if (at + length < der.size()) {
        problem = QStringLiteral("DER dizisinden sonra %1 bayt fazla var").arg(der.size() - at - length);
        return std::nullopt;
    }
    QByteArray rs;
    for (const char* name : {"r", "s"}) {
        if (at >= der.size() || uchar(der[at++]) != 0x02) {
            problem = QStringLiteral("DER dizisinde %1 tamsayısı (INTEGER) yok").arg(QLatin1String(name));
            return std::nullopt;
        }
        const qsizetype n = derLength(der, at);
        if (n <= 0 || at + n > der.size()) {
            problem = QStringLiteral("%1 tamsayısının uzunluğu bozuk").arg(QLatin1String(name));
            return std::nullopt;
        }
        QByteArray value = der.mid(at, n);
        at += n;
        if (uchar(value[0]) & 0x80) {
            problem = QStringLiteral("%1 tamsayısı negatif").arg(QLatin1String(name));
            return std::nullopt;
        }
        if (value.size() > 1 && value[0] == 0 && !(uchar(value[1]) & 0x80)) {
            problem = QStringLiteral("%1 tamsayısı gereksiz sıfırla başlıyor").arg(QLatin1String(name));
            return std::nullopt;
        }
        if (value.size() > 1 && value[0] == 0) {
            value.remove(0, 1);
        }
        if (value.size() > size) {
            problem = QStringLiteral("%1 tamsayısı eğrinin mertebesinden uzun (%2 bayt; en çok %3)")
                          .arg(QLatin1String(name))
                          .arg(value.size())
                          .arg(size);
            return std::nullopt;
        }
        if (value.count('\0') == value.size()) {
            problem = QStringLiteral("%1 tamsayısı sıfır").arg(QLatin1String(name));
            return std::nullopt;
        }
        rs += QByteArray(size - value.size(), '\0') + value;
    }
    if (at != der.size()) {
        problem = QStringLiteral("DER dizisinde r ve s'den sonra fazladan öğe var");
        return std::nullopt;
    }
    return rs;
}

// An ECDSA value as r‖s, the form xmlsec takes. Real e-seals write it DER-encoded, XML-DSig prescribes r‖s:
// the value itself says which, a well-formed DER SEQUENCE being taken as DER.
std::optional<QByteArray> ecdsaValue(const QByteArray& value, int orderBytes, QString& problem)
{
    QString derProblem;
    if (std::optional<QByteArray> rs = rsFromDer(value, orderBytes, derProblem)) {
        return rs;
    }
    if (value.size() == 2 * orderBytes) {
        return value;
    }
    problem = !value.isEmpty() && uchar(value[0]) == 0x30
                  ? QStringLiteral("İmza değeri bozuk: %1").arg(derProblem)
                  : QStringLiteral("İmza değeri bozuk: ne DER ne de %1 baytlık r‖s (%2 bayt)")
                        .arg(2 * orderBytes)
                        .arg(value.size());
    return std::nullopt;
}

// Hands xmlsec a SignatureValue in another encoding for as long as it lives, then puts the file's own text back
// exactly: a counter-signature signs that text.
class ValueStandIn
{
public:
    ValueStandIn(xmlNodePtr value, const QByteArray& bytes) : m_value(value)
    {
        if (!value) {
            return;
        }
        m_children = value->children;
        m_last = value->last;
        value->children = value->last = nullptr;
        xmlNodeAddContent(value, BAD_CAST bytes.toBase64().constData());
    }
    ~ValueStandIn()
    {
        if (!m_value) {
            return;
        }
        xmlFreeNodeList(m_value->children);
        m_value->children = m_children;
        m_value->last = m_last;
    }
    ValueStandIn(const ValueStandIn&) = delete;
    ValueStandIn& operator=(const ValueStandIn&) = delete;

private:
    xmlNodePtr m_value;
    xmlNodePtr m_children = nullptr;
    xmlNodePtr m_last = nullptr;
};

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
    for (xmlSecTransformId id :
         {xmlSecTransformInclC14NId, xmlSecTransformInclC14NWithCommentsId, xmlSecTransformEnvelopedId,
          xmlSecTransformSha256Id, xmlSecTransformSha384Id, xmlSecTransformSha512Id}) {
        xmlSecDSigCtxEnableReferenceTransform(ctx, id);
    }
    for (xmlSecTransformId id :
         {xmlSecTransformInclC14NId, xmlSecTransformInclC14NWithCommentsId, xmlSecTransformRsaSha256Id,
          xmlSecTransformRsaSha384Id, xmlSecTransformRsaSha512Id, xmlSecTransformEcdsaSha256Id,
          xmlSecTransformEcdsaSha384Id, xmlSecTransformEcdsaSha512Id}) {
        xmlSecDSigCtxEnableSignatureTransform(ctx, id);
    }

    if (xmlSecDSigCtxVerify(ctx, signature) >= 0) {
        run.ran = true;
        run.valid = ctx->status == xmlSecDSigStatusSucceeded;
        const xmlSecSize count = xmlSecPtrListGetSize(&ctx->signedInfoReferences);
        for (xmlSecSize i = 0; i < count; ++i) {
            auto* reference =
                static_cast<xmlSecDSigReferenceCtxPtr>(xmlSecPtrListGetItem(&ctx->signedInfoReferences, i));
            if (reference && reference->status != xmlSecDSigStatusSucceeded) {
                run.failedUris.append(
                    QString::fromUtf8(reference->uri ? reinterpret_cast<const char*>(reference->uri) : ""));
            }
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
    for (xmlNodePtr c = node ? node->children : nullptr; c; c = c->next) {
        if (isElement(c, ns, name)) {
            return c;
        }
    }
    return nullptr;
}

QString textOf(const xmlNode* node)
{
    if (!node) {
        return {};
    }
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
    for (xmlNodePtr data : children(child(signature, kDsNs, "KeyInfo"), kDsNs, "X509Data")) {
        for (xmlNodePtr c : children(data, kDsNs, "X509Certificate")) {
            if (Certificate parsed = certificateFromBase64(textOf(c).toLatin1())) {
                embedded.push_back(std::move(parsed));
            }
        }
    }
    X509* signing = nullptr;
    const int certDigestBits = digestBits(certDigestMethod);
    for (const Certificate& c : embedded) {
        if (certDigestBits && shaDigest(derOf(c.get()), certDigestBits) == certDigest) {
            signing = c.get();
        }
    }
    X509* shown = signing ? signing : (embedded.empty() ? nullptr : embedded.front().get());
    const QString methodUri =
        attribute(child(child(signature, kDsNs, "SignedInfo"), kDsNs, "SignatureMethod"), "Algorithm");
    const Method* method = methodOf(methodUri);
    if (shown) {
        SignerInfo info = describe(shown);
        info.signingTime = signingTime;
        info.signatureAlgorithm = method ? QString::fromLatin1(method->name) : methodUri;
        check.signer = info;
        check.notes.append(QStringLiteral("İmzalayan: %1").arg(info.subject));
        if (!info.identityNumber.isEmpty()) {
            check.notes.append(QStringLiteral("İmzalayanın VKN/TCKN'si: %1").arg(info.identityNumber));
        }
        check.notes.append(QStringLiteral("Sertifikayı veren: %1").arg(info.issuer));
        check.notes.append(QStringLiteral("Sertifika seri no: %1 · geçerlilik %2 – %3")
                               .arg(info.certificateSerial, dateText(info.validFrom), dateText(info.validUntil)));
        check.notes.append(QStringLiteral("Anahtar: %1 · imza algoritması: %2").arg(info.key, info.signatureAlgorithm));
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
    if (certDigestMethod == QLatin1String(kSha1)) {
        check.problem = QStringLiteral("İmzalayanın sertifikasının özeti SHA-1 ile alınmış: SHA-1 artık güvenli "
                                       "sayılmadığından bu imza kabul edilmez");
        return check;
    }
    if (!certDigestMethod.isEmpty() && !certDigestBits) {
        check.outcome = O::Uncheckable;
        check.problem = QStringLiteral("Bu özet algoritması denetlenemiyor: %1").arg(certDigestMethod);
        return check;
    }

    const QString swapped = QStringLiteral("Gömülü sertifika imzalayanın sertifikası değil: XAdES sertifika özeti "
                                           "tutmuyor (sertifika değiştirilmiş)");
    const KeyFacts key = keyOf(shown);
    if (key.type != method->key) {
        check.problem = signing ? QStringLiteral("İmza algoritması (%1) sertifikadaki anahtara (%2) uymuyor")
                                      .arg(QLatin1String(method->name), key.text)
                                : swapped;
        return check;
    }
    std::optional<ValueStandIn> standIn;
    if (key.type == KeyFacts::Type::Ec) {
        const auto decoded =
            QByteArray::fromBase64Encoding(check.signatureValue.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        QString problem = QStringLiteral("İmza değeri base64 değil");
        const std::optional<QByteArray> rs =
            decoded ? ecdsaValue(*decoded, key.orderBytes, problem) : std::optional<QByteArray>();
        if (!rs) {
            check.problem = signing ? problem : swapped;
            return check;
        }
        if (*rs != *decoded) {
            standIn.emplace(value, *rs);
        }
    }
    const XmlsecRun run = runXmlsec(signature);
    standIn.reset();
    const QString propertiesUri = '#' + attribute(properties, "Id");
    if (!run.ran) {
        check.problem = signing ? QStringLiteral("İmza denetlenemedi (xmlsec: %1)").arg(run.error.left(300)) : swapped;
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
        check.problem = swapped;
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
    if (signingTime.isValid()) {
        check.notes.append(QStringLiteral("Sertifika imza anında geçerliydi"));
    } else {
        check.notes.append(QStringLiteral("İmza zamanı olmadığından sertifikanın o anki geçerliliği denetlenemedi"));
    }

    QList<X509*> others;
    for (const Certificate& c : embedded) {
        if (c.get() != signing) {
            others.append(c.get());
        }
    }
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
