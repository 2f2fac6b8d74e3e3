#pragma once

#include "verify/verification.h"

#include <QList>
#include <QString>

#include <memory>

using X509 = struct x509_st;
using X509_STORE = struct x509_store_st;

namespace verify::detail {

struct X509Free
{
    void operator()(X509* c) const;
};
using Certificate = std::unique_ptr<X509, X509Free>;

Certificate certificateFromBase64(const QByteArray& base64);
QByteArray sha256(const QByteArray& bytes);
// SHA-256, SHA-384 or SHA-512 by its size in bits; empty for any other.
QByteArray shaDigest(const QByteArray& bytes, int bits);
QByteArray derOf(X509* certificate);
SignerInfo describe(X509* certificate);

struct KeyFacts
{
    enum class Type
    {
        Other,
        Rsa,
        Ec, // on a NIST prime curve: P-256, P-384, P-521
    };
    Type type = Type::Other;
    int orderBytes = 0; // EC: length of the curve's order, the length of r and of s
    QString text;       // "ECDSA P-384", "RSA 2048 bit"
};
KeyFacts keyOf(X509* certificate);

struct ChainCheck
{
    bool checked = false; // false: no roots to check against
    bool ok = false;
    QString text; // Turkish, for the details
};

// Trusted roots loaded from a folder once per verification.
class Roots
{
public:
    explicit Roots(const QString& folder);
    ~Roots();
    Roots(const Roots&) = delete;
    Roots& operator=(const Roots&) = delete;

    // The chain from `leaf` (with any other certificates the signature carries) to a root, as it stood at
    // `when` (the signing time; now when unknown).
    ChainCheck check(X509* leaf, const QList<X509*>& others, const QDateTime& when) const;
    QString folder() const { return m_folder; }
    int count() const { return m_count; }

private:
    QString m_folder;
    X509_STORE* m_store = nullptr;
    int m_count = 0;
};

} // namespace verify::detail
