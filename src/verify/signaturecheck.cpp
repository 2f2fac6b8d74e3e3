#include "verify/signaturecheck.h"

#include "verify/certificates.h"

#include "common/xmlhandles.h"

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
    const common::XmlChars value(xmlGetNoNsProp(node, BAD_CAST name));
    return value ? QString::fromUtf8(reinterpret_cast<const char*>(value.get())) : QString();
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

// The canonicalisation and the signature method: ones we check, and no SHA-1.
Policy checkMethods(xmlNodePtr info)
{
    using O = SignatureCheck::Outcome;
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
    return {};
}

// What a signature's references point at: the whole document, its own signed properties, the
// countersigned value.
struct ReferenceCount
{
    int document = 0;
    int properties = 0;
    int target = 0;
};

// The digest and transforms of one reference: ones we check, and no SHA-1.
Policy checkDigestAndTransforms(xmlNodePtr reference, QStringList& transforms)
{
    using O = SignatureCheck::Outcome;
    const QString digest = attribute(child(reference, kDsNs, "DigestMethod"), "Algorithm");
    if (digest == QLatin1String(kSha1)) {
        return refuse(O::Invalid, QStringLiteral("İmzadaki bir özet SHA-1 ile alınmış: SHA-1 artık güvenli "
                                                 "sayılmadığından bu imza kabul edilmez"));
    }
    if (!digestBits(digest)) {
        return refuse(O::Uncheckable, QStringLiteral("Bu özet algoritması denetlenemiyor: %1").arg(digest));
    }
    for (xmlNodePtr t : children(child(reference, kDsNs, "Transforms"), kDsNs, "Transform")) {
        transforms.append(attribute(t, "Algorithm"));
    }
    for (const QString& t : transforms) {
        if (t != kEnveloped && t != kC14n && t != kC14nComments) {
            return refuse(O::Uncheckable, QStringLiteral("Bu dönüşüm algoritması denetlenemiyor: %1").arg(t));
        }
    }
    return {};
}

// One reference: inside the file, checkable, and to the document, the properties or the target.
Policy checkReference(xmlNodePtr reference, xmlNodePtr ownProperties, const QString& targetId, ReferenceCount& count)
{
    using O = SignatureCheck::Outcome;
    if (!hasAttribute(reference, "URI")) {
        return refuse(O::Unsupported, QStringLiteral("İmzada URI'si olmayan bir başvuru var"));
    }
    const QString uri = attribute(reference, "URI");
    if (!uri.isEmpty() && !bareName(uri)) {
        return refuse(O::Refused, QStringLiteral("İmza dosyanın dışındaki bir kaynağa başvuruyor (URI=\"%1\"); "
                                                 "hiçbir şey getirilmedi, imza geçersiz sayıldı")
                                      .arg(uri.left(200)));
    }
    QStringList transforms;
    if (const Policy policy = checkDigestAndTransforms(reference, transforms); !policy) {
        return policy;
    }
    if (uri.isEmpty()) {
        if (transforms.value(0) != kEnveloped || transforms.count(kEnveloped) != 1) {
            return refuse(O::Unsupported, QStringLiteral("Belgenin tamamına başvuru \"enveloped-signature\" "
                                                         "dönüşümüyle başlamıyor"));
        }
        ++count.document;
        return {};
    }
    if (transforms.contains(kEnveloped)) {
        return refuse(O::Unsupported, QStringLiteral("Bir parçaya başvuruda beklenmeyen dönüşüm"));
    }
    const QString id = uri.mid(1);
    if (id == attribute(ownProperties, "Id")) {
        ++count.properties;
    } else if (!targetId.isEmpty() && id == targetId) {
        ++count.target;
    } else {
        return refuse(O::Unsupported,
                      QStringLiteral("İmza beklenmeyen bir öğeye başvuruyor (URI=\"%1\")").arg(uri.left(200)));
    }
    return {};
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
    if (const Policy policy = checkMethods(info); !policy) {
        return policy;
    }
    if (!ownProperties) {
        return refuse(O::Unsupported, QStringLiteral("İmzada XAdES imza özellikleri (SignedProperties) yok"));
    }
    const QList<xmlNodePtr> references = children(info, kDsNs, "Reference");
    ReferenceCount count;
    for (xmlNodePtr reference : references) {
        if (const Policy policy = checkReference(reference, ownProperties, targetId, count); !policy) {
            return policy;
        }
    }
    const bool counter = !targetId.isEmpty();
    if (references.size() != 2 || count.properties != 1 ||
        (counter ? count.target != 1 || count.document != 0 : count.document != 1)) {
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

// What one signature says of itself, read once: its value, its signed properties, its certificates.
struct SignatureParts
{
    xmlNodePtr signature = nullptr;
    xmlNodePtr value = nullptr;
    QString signatureValue; // base64 without whitespace
    xmlNodePtr properties = nullptr;
    QString targetId; // the countersigned value's Id; empty for a file's own signature
    QDateTime signingTime;
    xmlNodePtr cert = nullptr; // xades:SigningCertificate/Cert
    QString certDigestMethod;
    int certDigestBits = 0;
    std::vector<Certificate> embedded;
    X509* signing = nullptr; // the embedded certificate the XAdES digest names
    X509* shown = nullptr;   // that one, else the first embedded
    QString methodUri;
    const Method* method = nullptr;
};

SignatureParts readParts(xmlNodePtr signature, xmlNodePtr countersigned)
{
    SignatureParts p;
    p.signature = signature;
    p.value = child(signature, kDsNs, "SignatureValue");
    p.signatureValue = textOf(p.value).remove(QRegularExpression(QStringLiteral("\\s")));
    p.properties = signedProperties(signature);
    p.targetId = countersigned ? attribute(countersigned, "Id") : QString();
    xmlNodePtr signedSignatureProperties = child(p.properties, kXadesNs, "SignedSignatureProperties");
    p.signingTime =
        QDateTime::fromString(textOf(child(signedSignatureProperties, kXadesNs, "SigningTime")).trimmed(), Qt::ISODate);
    p.cert = child(child(signedSignatureProperties, kXadesNs, "SigningCertificate"), kXadesNs, "Cert");
    const QByteArray certDigest =
        QByteArray::fromBase64(textOf(child(child(p.cert, kXadesNs, "CertDigest"), kDsNs, "DigestValue")).toLatin1());
    p.certDigestMethod = attribute(child(child(p.cert, kXadesNs, "CertDigest"), kDsNs, "DigestMethod"), "Algorithm");
    for (xmlNodePtr data : children(child(signature, kDsNs, "KeyInfo"), kDsNs, "X509Data")) {
        for (xmlNodePtr c : children(data, kDsNs, "X509Certificate")) {
            if (Certificate parsed = certificateFromBase64(textOf(c).toLatin1())) {
                p.embedded.push_back(std::move(parsed));
            }
        }
    }
    p.certDigestBits = digestBits(p.certDigestMethod);
    for (const Certificate& c : p.embedded) {
        if (p.certDigestBits && shaDigest(derOf(c.get()), p.certDigestBits) == certDigest) {
            p.signing = c.get();
        }
    }
    p.shown = p.signing ? p.signing : (p.embedded.empty() ? nullptr : p.embedded.front().get());
    p.methodUri = attribute(child(child(signature, kDsNs, "SignedInfo"), kDsNs, "SignatureMethod"), "Algorithm");
    p.method = methodOf(p.methodUri);
    return p;
}

// The signer, the certificate and the signing time, for the details.
void describeSigner(const SignatureParts& p, SignatureCheck& check)
{
    if (p.shown) {
        SignerInfo info = describe(p.shown);
        info.signingTime = p.signingTime;
        info.signatureAlgorithm = p.method ? QString::fromLatin1(p.method->name) : p.methodUri;
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
    check.notes.append(p.signingTime.isValid() ? QStringLiteral("İmza zamanı: %1").arg(dateText(p.signingTime))
                                               : QStringLiteral("İmza zamanı (SigningTime) yok"));
}

// Everything that can be refused before a digest is computed: the shape, the ids, the certificate's digest.
Policy checkBeforeDigests(xmlDocPtr doc, const SignatureParts& p, xmlNodePtr countersigned)
{
    using O = SignatureCheck::Outcome;
    if (const Policy policy = checkShape(p.signature, p.properties, p.targetId); !policy) {
        return policy;
    }
    if (!registerId(doc, p.properties, attribute(p.properties, "Id")) ||
        (countersigned && !registerId(doc, countersigned, p.targetId))) {
        return refuse(O::Unsupported,
                      QStringLiteral("İmzanın başvurduğu kimlik (Id) dosyada birden çok öğeyi gösteriyor"));
    }
    if (p.embedded.empty()) {
        return refuse(O::Invalid, QStringLiteral("İmzada okunabilir bir sertifika yok"));
    }
    if (p.certDigestMethod == QLatin1String(kSha1)) {
        return refuse(O::Invalid, QStringLiteral("İmzalayanın sertifikasının özeti SHA-1 ile alınmış: SHA-1 artık "
                                                 "güvenli sayılmadığından bu imza kabul edilmez"));
    }
    if (!p.certDigestMethod.isEmpty() && !p.certDigestBits) {
        return refuse(O::Uncheckable, QStringLiteral("Bu özet algoritması denetlenemiyor: %1").arg(p.certDigestMethod));
    }
    return {};
}

// The signature value as xmlsec takes it: an ECDSA value in DER is handed over as r‖s for as long as the
// returned stand-in lives. False, with the problem in `check`, when the value fits no key.
bool valueForXmlsec(const SignatureParts& p, const QString& swapped, std::optional<ValueStandIn>& standIn,
                    SignatureCheck& check)
{
    const KeyFacts key = keyOf(p.shown);
    if (key.type != p.method->key) {
        check.problem = p.signing ? QStringLiteral("İmza algoritması (%1) sertifikadaki anahtara (%2) uymuyor")
                                        .arg(QLatin1String(p.method->name), key.text)
                                  : swapped;
        return false;
    }
    if (key.type != KeyFacts::Type::Ec) {
        return true;
    }
    const auto decoded =
        QByteArray::fromBase64Encoding(p.signatureValue.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    QString problem = QStringLiteral("İmza değeri base64 değil");
    const std::optional<QByteArray> rs =
        decoded ? ecdsaValue(*decoded, key.orderBytes, problem) : std::optional<QByteArray>();
    if (!rs) {
        check.problem = p.signing ? problem : swapped;
        return false;
    }
    if (*rs != *decoded) {
        standIn.emplace(p.value, *rs);
    }
    return true;
}

// The digests and the signature value, by xmlsec; false, with the problem in `check`, when one does not hold.
bool digestsHold(const SignatureParts& p, const Subject& subject, SignatureCheck& check)
{
    const QString swapped = QStringLiteral("Gömülü sertifika imzalayanın sertifikası değil: XAdES sertifika özeti "
                                           "tutmuyor (sertifika değiştirilmiş)");
    std::optional<ValueStandIn> standIn;
    if (!valueForXmlsec(p, swapped, standIn, check)) {
        return false;
    }
    const XmlsecRun run = runXmlsec(p.signature);
    standIn.reset();
    const QString propertiesUri = '#' + attribute(p.properties, "Id");
    if (!run.ran) {
        check.problem =
            p.signing ? QStringLiteral("İmza denetlenemedi (xmlsec: %1)").arg(run.error.left(300)) : swapped;
    } else if (run.failedUris.contains(QString())) {
        check.problem = subject.changed;
    } else if (!p.targetId.isEmpty() && run.failedUris.contains('#' + p.targetId)) {
        check.problem = QStringLiteral("Karşı imza bu imzayı onaylamıyor: onaylanan imza değeri farklı");
    } else if (run.failedUris.contains(propertiesUri)) {
        check.problem = QStringLiteral("İmza bilgileri (imza zamanı, sertifika) imzalandıktan sonra değiştirilmiş");
    } else if (!p.signing) {
        check.problem = swapped;
    } else if (!run.valid) {
        check.problem = QStringLiteral("İmza değeri geçersiz: sertifikadaki anahtarla doğrulanmıyor");
    }
    return check.problem.isEmpty();
}

// The signing certificate is the one the properties name and was valid when it signed.
bool certificateHeld(const SignatureParts& p, SignatureCheck& check)
{
    const QString serial = textOf(child(child(p.cert, kXadesNs, "IssuerSerial"), kDsNs, "X509SerialNumber")).trimmed();
    if (!serial.isEmpty() && serial != check.signer->certificateSerial) {
        check.problem = QStringLiteral("İmza özelliklerindeki sertifika seri numarası (%1) gömülü sertifikanınkiyle "
                                       "(%2) aynı değil")
                            .arg(serial, check.signer->certificateSerial);
        return false;
    }
    const QDateTime& at = p.signingTime;
    if (at.isValid() && (at < check.signer->validFrom || at > check.signer->validUntil)) {
        check.problem = QStringLiteral("Sertifika imza anında geçerli değildi (geçerlilik %1 – %2, imza %3)")
                            .arg(dateText(check.signer->validFrom), dateText(check.signer->validUntil), dateText(at));
        return false;
    }
    check.notes.append(at.isValid()
                           ? QStringLiteral("Sertifika imza anında geçerliydi")
                           : QStringLiteral("İmza zamanı olmadığından sertifikanın o anki geçerliliği denetlenemedi"));
    return true;
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
    const common::XmlChars content(xmlNodeGetContent(node));
    return QString::fromUtf8(reinterpret_cast<const char*>(content.get()));
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
    SignatureCheck check;
    const SignatureParts parts = readParts(signature, countersigned);
    check.signatureValue = parts.signatureValue;
    if (countersigned && parts.targetId.isEmpty()) {
        check.outcome = SignatureCheck::Outcome::Unsupported;
        check.problem = QStringLiteral("Onaylanan imza değerinin kimliği (Id) yok");
        return check;
    }
    // Signer, times and certificate first: they belong in the details whatever else fails.
    describeSigner(parts, check);
    if (const Policy policy = checkBeforeDigests(doc, parts, countersigned); !policy) {
        check.outcome = policy.outcome;
        check.problem = policy.problem;
        return check;
    }
    if (!digestsHold(parts, subject, check) || !certificateHeld(parts, check)) {
        return check;
    }
    QList<X509*> others;
    for (const Certificate& c : parts.embedded) {
        if (c.get() != parts.signing) {
            others.append(c.get());
        }
    }
    const ChainCheck chain = roots.check(parts.signing, others, parts.signingTime);
    check.notes.append(chain.text);
    if (chain.checked && !chain.ok) {
        check.problem = chain.text;
        return check;
    }
    check.outcome = SignatureCheck::Outcome::Valid;
    return check;
}

} // namespace verify::detail
