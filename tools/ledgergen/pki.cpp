#include "pki.h"

#include "random.h"
#include "testkeys.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <stdexcept>
#include <vector>

namespace ledgergen {

void PkeyFree::operator()(EVP_PKEY* key) const
{
    EVP_PKEY_free(key);
}

namespace {

struct X509Free
{
    void operator()(X509* c) const { X509_free(c); }
};
using Certificate = std::unique_ptr<X509, X509Free>;

[[noreturn]] void fail(const std::string& what)
{
    throw std::runtime_error("OpenSSL: " + what);
}

Pkey loadKey(std::string_view pem)
{
    BIO* bio = BIO_new_mem_buf(pem.data(), int(pem.size()));
    EVP_PKEY* key = PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr);
    BIO_free(bio);
    if (!key) {
        fail("test anahtarı okunamadı");
    }
    return Pkey(key);
}

// "CN=Ad, SERIALNUMBER=1, C=TR" as written in signatures (most specific first) into a name whose ASN.1
// order is the reverse, as real certificates carry it.
X509_NAME* parseName(const std::string& text)
{
    std::vector<std::pair<std::string, std::string>> parts;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = start;
        // A ", " ends the value only when an attribute name and "=" follow.
        for (;;) {
            end = text.find(", ", end);
            if (end == std::string::npos) {
                break;
            }
            size_t k = end + 2;
            while (k < text.size() && text[k] >= 'A' && text[k] <= 'Z') {
                ++k;
            }
            if (k > end + 2 && k < text.size() && text[k] == '=') {
                break;
            }
            end += 2;
        }
        const std::string part = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const size_t eq = part.find('=');
        if (eq == std::string::npos) {
            fail("ad çözülemedi: " + text);
        }
        parts.emplace_back(part.substr(0, eq), part.substr(eq + 1));
        start = end == std::string::npos ? text.size() : end + 2;
    }
    X509_NAME* name = X509_NAME_new();
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
        const std::string field = it->first == "SERIALNUMBER" ? "serialNumber" : it->first;
        if (!X509_NAME_add_entry_by_txt(name, field.c_str(), MBSTRING_UTF8,
                                        reinterpret_cast<const unsigned char*>(it->second.data()),
                                        int(it->second.size()), -1, 0)) {
            fail("ad alanı eklenemedi: " + it->first);
        }
    }
    return name;
}

std::string sha512(std::string_view data)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(data.data(), data.size(), digest, &length, EVP_sha512(), nullptr);
    return std::string(reinterpret_cast<char*>(digest), length);
}

std::string timeText(Date d)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02d000000Z", d.year, d.month, d.day);
    return buffer;
}

void addExtension(X509* cert, X509* issuer, int nid, const char* value)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    if (!ext || !X509_add_ext(cert, ext, -1)) {
        fail("sertifika uzantısı eklenemedi");
    }
    X509_EXTENSION_free(ext);
}

// serialDigits: decimal, as it will appear in the XAdES block.
Certificate makeCertificate(const std::string& subject, const std::string& issuer, const std::string& serialDigits,
                            Date from, Date to, const EVP_PKEY* subjectKey, const EVP_PKEY* issuerKey, bool ca)
{
    Certificate cert(X509_new());
    X509_set_version(cert.get(), 2);
    BIGNUM* bn = nullptr;
    BN_dec2bn(&bn, serialDigits.c_str());
    BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(cert.get()));
    BN_free(bn);
    X509_NAME* subjectName = parseName(subject);
    X509_NAME* issuerName = parseName(issuer);
    X509_set_subject_name(cert.get(), subjectName);
    X509_set_issuer_name(cert.get(), issuerName);
    X509_NAME_free(subjectName);
    X509_NAME_free(issuerName);
    if (!ASN1_TIME_set_string_X509(X509_getm_notBefore(cert.get()), timeText(from).c_str()) ||
        !ASN1_TIME_set_string_X509(X509_getm_notAfter(cert.get()), timeText(to).c_str())) {
        fail("geçerlilik tarihi yazılamadı");
    }
    X509_set_pubkey(cert.get(), const_cast<EVP_PKEY*>(subjectKey));
    if (ca) {
        addExtension(cert.get(), cert.get(), NID_basic_constraints, "critical,CA:TRUE");
        addExtension(cert.get(), cert.get(), NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        addExtension(cert.get(), nullptr, NID_basic_constraints, "critical,CA:FALSE");
        addExtension(cert.get(), nullptr, NID_key_usage, "critical,digitalSignature,nonRepudiation");
    }
    if (!X509_sign(cert.get(), const_cast<EVP_PKEY*>(issuerKey), EVP_sha256())) {
        fail("sertifika imzalanamadı");
    }
    return cert;
}

std::string der(X509* cert)
{
    unsigned char* buffer = nullptr;
    const int length = i2d_X509(cert, &buffer);
    if (length <= 0) {
        fail("sertifika kodlanamadı");
    }
    std::string bytes(reinterpret_cast<char*>(buffer), size_t(length));
    OPENSSL_free(buffer);
    return bytes;
}

std::string serialFrom(uint64_t seed)
{
    Rng rng(seed);
    std::string s = std::to_string(rng.between(1, 9));
    for (int i = 0; i < 18; ++i) {
        s += char('0' + rng.below(10));
    }
    return s;
}

struct BnFree
{
    void operator()(BIGNUM* n) const { BN_clear_free(n); }
};
using Bn = std::unique_ptr<BIGNUM, BnFree>;

// ECDSA over the SHA-2 that fits the curve, with a nonce drawn from the key and the message (as RFC 6979 does,
// more simply), so that one seed always gives the same bytes; OpenSSL 3.0 draws it at random. Test keys only.
// The value is DER (a SEQUENCE of the INTEGERs r and s), or r‖s, each padded to the order's length.
std::string signEcdsa(const EVP_PKEY* key, std::string_view data, bool raw)
{
    char groupName[64] = {};
    BIGNUM* privateKey = nullptr;
    if (!EVP_PKEY_get_utf8_string_param(key, OSSL_PKEY_PARAM_GROUP_NAME, groupName, sizeof groupName, nullptr) ||
        !EVP_PKEY_get_bn_param(key, OSSL_PKEY_PARAM_PRIV_KEY, &privateKey)) {
        fail("EC anahtarı okunamadı");
    }
    const Bn d(privateKey);
    std::unique_ptr<EC_GROUP, decltype(&EC_GROUP_free)> group(EC_GROUP_new_by_curve_name(OBJ_txt2nid(groupName)),
                                                              &EC_GROUP_free);
    std::unique_ptr<BN_CTX, decltype(&BN_CTX_free)> ctx(BN_CTX_new(), &BN_CTX_free);
    std::unique_ptr<EC_POINT, decltype(&EC_POINT_free)> point(EC_POINT_new(group.get()), &EC_POINT_free);
    if (!group || !ctx || !point) {
        fail("EC eğrisi kurulamadı");
    }
    const BIGNUM* n = EC_GROUP_get0_order(group.get());
    const int bits = BN_num_bits(n);
    const int size = (bits + 7) / 8;
    const EVP_MD* md = bits <= 256 ? EVP_sha256() : bits <= 384 ? EVP_sha384() : EVP_sha512();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestLength = 0;
    EVP_Digest(data.data(), data.size(), digest, &digestLength, md, nullptr);
    const Bn e(BN_bin2bn(digest, int(digestLength), nullptr));
    if (int(digestLength) * 8 > bits) {
        BN_rshift(e.get(), e.get(), int(digestLength) * 8 - bits);
    }

    std::string secret(size_t(size), '\0');
    BN_bn2binpad(d.get(), reinterpret_cast<unsigned char*>(secret.data()), size);
    const Bn k(BN_new()), r(BN_new()), s(BN_new()), x(BN_new());
    for (unsigned char counter = 0;; ++counter) {
        if (counter == 255) {
            fail("ECDSA imzası hesaplanamadı");
        }
        std::string seed = secret + std::string(reinterpret_cast<char*>(digest), digestLength);
        seed += char(counter);
        std::string wide = sha512(seed + 'a') + sha512(seed + 'b');
        BN_bin2bn(reinterpret_cast<const unsigned char*>(wide.data()), int(wide.size()), k.get());
        BN_mod(k.get(), k.get(), n, ctx.get());
        if (BN_is_zero(k.get()) || !EC_POINT_mul(group.get(), point.get(), k.get(), nullptr, nullptr, ctx.get()) ||
            !EC_POINT_get_affine_coordinates(group.get(), point.get(), x.get(), nullptr, ctx.get())) {
            continue;
        }
        BN_nnmod(r.get(), x.get(), n, ctx.get());
        if (BN_is_zero(r.get())) {
            continue;
        }
        // s = k⁻¹ (e + r·d) mod n
        BN_mod_mul(s.get(), r.get(), d.get(), n, ctx.get());
        BN_mod_add(s.get(), s.get(), e.get(), n, ctx.get());
        BN_mod_inverse(k.get(), k.get(), n, ctx.get());
        BN_mod_mul(s.get(), s.get(), k.get(), n, ctx.get());
        if (!BN_is_zero(s.get())) {
            break;
        }
    }
    if (raw) {
        std::string value(size_t(2 * size), '\0');
        auto* out = reinterpret_cast<unsigned char*>(value.data());
        BN_bn2binpad(r.get(), out, size);
        BN_bn2binpad(s.get(), out + size, size);
        return value;
    }
    ECDSA_SIG* sig = ECDSA_SIG_new();
    ECDSA_SIG_set0(sig, BN_dup(r.get()), BN_dup(s.get()));
    unsigned char* der = nullptr;
    const int length = i2d_ECDSA_SIG(sig, &der);
    ECDSA_SIG_free(sig);
    if (length <= 0) {
        fail("ECDSA imzası kodlanamadı");
    }
    std::string value(reinterpret_cast<char*>(der), size_t(length));
    OPENSSL_free(der);
    return value;
}

} // namespace

Pki::Pki()
    : m_root(loadKey(testkeys::kRoot)), m_taxpayer(loadKey(testkeys::kTaxpayer)), m_gib(loadKey(testkeys::kGib)),
      m_ec256(loadKey(testkeys::kEcdsa256)), m_ec384(loadKey(testkeys::kEcdsa384)),
      m_ec521(loadKey(testkeys::kEcdsa521))
{}

std::string Identity::signatureMethod() const
{
    switch (choice.curve) {
    case 0:
        return "http://www.w3.org/2001/04/xmldsig-more#rsa-sha256";
    case 256:
        return "http://www.w3.org/2001/04/xmldsig-more#ecdsa-sha256";
    case 384:
        return "http://www.w3.org/2001/04/xmldsig-more#ecdsa-sha384";
    }
    return "http://www.w3.org/2001/04/xmldsig-more#ecdsa-sha512";
}

Pki::~Pki() = default;

Identity Pki::issue(const EVP_PKEY* key, const Signer& names, uint64_t serialSeed, Date from) const
{
    Identity id;
    id.key = key;
    id.names = names;
    id.serialNumber = serialFrom(serialSeed);
    const Date start{from.year - 1, from.month, std::min(from.day, 28)};
    const Date end{start.year + 5, start.month, start.day};
    id.certificate =
        der(makeCertificate(names.subject, names.issuer, id.serialNumber, start, end, key, m_root.get(), false).get());
    return id;
}

Identity Pki::taxpayer(const Signer& names, uint64_t seed, Date from, KeyChoice key)
{
    const EVP_PKEY* pkey = key.curve == 0     ? m_taxpayer.get()
                           : key.curve == 256 ? m_ec256.get()
                           : key.curve == 384 ? m_ec384.get()
                                              : m_ec521.get();
    Identity id = issue(pkey, names, streamSeed(seed, "certificate"), from);
    id.choice = key;
    return id;
}

Identity Pki::gib(const Signer& names, uint64_t seed, Date from)
{
    return issue(m_gib.get(), names, streamSeed(seed, "gib-certificate"), from);
}

std::string Pki::rootPem(const std::string& issuer) const
{
    const Certificate root =
        makeCertificate(issuer, issuer, "1", {2000, 1, 1}, {2099, 12, 31}, m_root.get(), m_root.get(), true);
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(bio, root.get());
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio, &data);
    std::string pem(data, size_t(length));
    BIO_free(bio);
    return pem;
}

std::string Pki::sign(const Identity& signer, std::string_view data)
{
    if (signer.choice.curve != 0) {
        return signEcdsa(signer.key, data, signer.choice.rawValue);
    }
    const EVP_PKEY* key = signer.key;
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    size_t length = 0;
    std::string signature;
    if (EVP_DigestSignInit(ctx, nullptr, EVP_sha256(), nullptr, const_cast<EVP_PKEY*>(key)) == 1 &&
        EVP_DigestSign(ctx, nullptr, &length, reinterpret_cast<const unsigned char*>(data.data()), data.size()) == 1) {
        signature.resize(length);
        if (EVP_DigestSign(ctx, reinterpret_cast<unsigned char*>(signature.data()), &length,
                           reinterpret_cast<const unsigned char*>(data.data()), data.size()) != 1) {
            signature.clear();
        }
        signature.resize(length);
    }
    EVP_MD_CTX_free(ctx);
    if (signature.empty()) {
        fail("imza hesaplanamadı");
    }
    return signature;
}

std::string Pki::sha256(std::string_view data)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(data.data(), data.size(), digest, &length, EVP_sha256(), nullptr);
    return std::string(reinterpret_cast<char*>(digest), length);
}

std::string Pki::modulus(const EVP_PKEY* key)
{
    BIGNUM* n = nullptr;
    if (!EVP_PKEY_get_bn_param(key, OSSL_PKEY_PARAM_RSA_N, &n)) {
        fail("RSA anahtarı okunamadı");
    }
    std::string bytes(size_t(BN_num_bytes(n)), '\0');
    BN_bn2bin(n, reinterpret_cast<unsigned char*>(bytes.data()));
    BN_free(n);
    return bytes;
}

} // namespace ledgergen
