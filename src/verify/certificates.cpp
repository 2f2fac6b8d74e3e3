#include "verify/certificates.h"

#include <QDir>
#include <QFile>
#include <QTimeZone>

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

#include <ctime>

namespace verify::detail {

void X509Free::operator()(X509* c) const
{
    X509_free(c);
}

Certificate certificateFromBase64(const QByteArray& base64)
{
    const QByteArray der = QByteArray::fromBase64(base64.simplified().replace(' ', ""));
    const unsigned char* p = reinterpret_cast<const unsigned char*>(der.constData());
    return Certificate(d2i_X509(nullptr, &p, der.size()));
}

QByteArray sha256(const QByteArray& bytes)
{
    return shaDigest(bytes, 256);
}

QByteArray shaDigest(const QByteArray& bytes, int bits)
{
    const EVP_MD* md = bits == 256 ? EVP_sha256() : bits == 384 ? EVP_sha384() : bits == 512 ? EVP_sha512() : nullptr;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!md || EVP_Digest(bytes.constData(), size_t(bytes.size()), digest, &length, md, nullptr) != 1) {
        return {};
    }
    return QByteArray(reinterpret_cast<const char*>(digest), int(length));
}

KeyFacts keyOf(X509* certificate)
{
    KeyFacts facts;
    EVP_PKEY* key = certificate ? X509_get0_pubkey(certificate) : nullptr;
    if (!key) {
        return facts;
    }
    const int bits = EVP_PKEY_get_bits(key);
    if (EVP_PKEY_is_a(key, "RSA")) {
        facts.type = KeyFacts::Type::Rsa;
        facts.text = QStringLiteral("RSA %1 bit").arg(bits);
        return facts;
    }
    if (EVP_PKEY_is_a(key, "EC")) {
        char group[80] = {};
        EVP_PKEY_get_utf8_string_param(key, OSSL_PKEY_PARAM_GROUP_NAME, group, sizeof group, nullptr);
        const char* nist = EC_curve_nid2nist(OBJ_txt2nid(group));
        const QString curve = nist ? QString::fromLatin1(nist) : QString::fromLatin1(group);
        if (curve == QLatin1String("P-256") || curve == QLatin1String("P-384") || curve == QLatin1String("P-521")) {
            facts.type = KeyFacts::Type::Ec;
            facts.orderBytes = (bits + 7) / 8;
        }
        facts.text = QStringLiteral("ECDSA %1").arg(curve.isEmpty() ? QStringLiteral("(eğrisi bilinmiyor)") : curve);
        return facts;
    }
    facts.text = QStringLiteral("%1 %2 bit").arg(QString::fromLatin1(EVP_PKEY_get0_type_name(key))).arg(bits);
    return facts;
}

QByteArray derOf(X509* certificate)
{
    unsigned char* buffer = nullptr;
    const int length = i2d_X509(certificate, &buffer);
    if (length <= 0) {
        return {};
    }
    QByteArray der(reinterpret_cast<const char*>(buffer), length);
    OPENSSL_free(buffer);
    return der;
}

namespace {

QString nameText(const X509_NAME* name)
{
    // Most specific part first, as signatures write names, with readable UTF-8.
    const unsigned long flags =
        (XN_FLAG_SEP_CPLUS_SPC | XN_FLAG_DN_REV | XN_FLAG_FN_SN | ASN1_STRFLGS_RFC2253) & ~ASN1_STRFLGS_ESC_MSB;
    BIO* bio = BIO_new(BIO_s_mem());
    X509_NAME_print_ex(bio, name, 0, flags);
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio, &data);
    QString text = QString::fromUtf8(data, int(length));
    BIO_free(bio);
    return text.replace("serialNumber=", "SERIALNUMBER=");
}

QDateTime timeOf(const ASN1_TIME* time)
{
    std::tm tm{};
    if (!time || ASN1_TIME_to_tm(time, &tm) != 1) {
        return {};
    }
    return QDateTime(QDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday), QTime(tm.tm_hour, tm.tm_min, tm.tm_sec),
                     QTimeZone::utc());
}

QString serialText(X509* certificate)
{
    BIGNUM* bn = ASN1_INTEGER_to_BN(X509_get0_serialNumber(certificate), nullptr);
    char* text = bn ? BN_bn2dec(bn) : nullptr;
    const QString serial = text ? QString::fromLatin1(text) : QString();
    OPENSSL_free(text);
    BN_free(bn);
    return serial;
}

void addCertificates(X509_STORE* store, const QByteArray& bytes, int& count)
{
    BIO* bio = BIO_new_mem_buf(bytes.constData(), int(bytes.size()));
    bool any = false;
    while (X509* c = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr)) {
        any = X509_STORE_add_cert(store, c) == 1 || any;
        X509_free(c);
        ++count;
    }
    BIO_free(bio);
    if (!any) {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.constData());
        if (X509* c = d2i_X509(nullptr, &p, bytes.size())) {
            X509_STORE_add_cert(store, c);
            X509_free(c);
            ++count;
        }
    }
}

} // namespace

SignerInfo describe(X509* certificate)
{
    SignerInfo info;
    const X509_NAME* subject = X509_get_subject_name(certificate);
    info.subject = nameText(subject);
    info.issuer = nameText(X509_get_issuer_name(certificate));
    const int at = X509_NAME_get_index_by_NID(subject, NID_serialNumber, -1);
    if (at >= 0) {
        unsigned char* text = nullptr;
        const int length = ASN1_STRING_to_UTF8(&text, X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, at)));
        if (length >= 0) {
            info.identityNumber = QString::fromUtf8(reinterpret_cast<const char*>(text), length);
        }
        OPENSSL_free(text);
    }
    info.certificateSerial = serialText(certificate);
    info.validFrom = timeOf(X509_get0_notBefore(certificate));
    info.validUntil = timeOf(X509_get0_notAfter(certificate));
    info.key = keyOf(certificate).text;
    return info;
}

Roots::Roots(const QString& folder) : m_folder(folder), m_store(X509_STORE_new())
{
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists()) {
        return;
    }
    for (const QString& name : dir.entryList({"*.pem", "*.crt", "*.cer", "*.der"}, QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (file.size() < 1024 * 1024 && file.open(QIODevice::ReadOnly)) {
            addCertificates(m_store, file.readAll(), m_count);
        }
    }
}

Roots::~Roots()
{
    X509_STORE_free(m_store);
}

ChainCheck Roots::check(X509* leaf, const QList<X509*>& others, const QDateTime& when) const
{
    ChainCheck result;
    if (m_count == 0) {
        result.text = QStringLiteral("Sertifika zinciri denetlenmedi: kök sertifika yok (klasör: %1)")
                          .arg(QDir::toNativeSeparators(m_folder));
        return result;
    }
    result.checked = true;
    STACK_OF(X509)* untrusted = sk_X509_new_null();
    for (X509* c : others) {
        sk_X509_push(untrusted, c);
    }
    X509_STORE_CTX* ctx = X509_STORE_CTX_new();
    X509_STORE_CTX_init(ctx, m_store, leaf, untrusted);
    // A trusted issuing certificate is enough; the user may keep only those.
    X509_STORE_CTX_set_flags(ctx, X509_V_FLAG_PARTIAL_CHAIN);
    X509_STORE_CTX_set_time(ctx, 0, (when.isValid() ? when : QDateTime::currentDateTimeUtc()).toSecsSinceEpoch());
    result.ok = X509_verify_cert(ctx) == 1;
    if (result.ok) {
        STACK_OF(X509)* chain = X509_STORE_CTX_get0_chain(ctx);
        X509* top = sk_X509_value(chain, sk_X509_num(chain) - 1);
        result.text = QStringLiteral("Sertifika zinciri güvenilen köke ulaşıyor: %1 (iptal durumu denetlenmedi)")
                          .arg(nameText(X509_get_subject_name(top)));
    } else {
        result.text = QStringLiteral("Sertifika zinciri güvenilen bir köke ulaşmıyor: %1")
                          .arg(QString::fromUtf8(X509_verify_cert_error_string(X509_STORE_CTX_get_error(ctx))));
    }
    X509_STORE_CTX_free(ctx);
    sk_X509_free(untrusted);
    return result;
}

} // namespace verify::detail
