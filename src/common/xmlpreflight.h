#pragma once

#include <QByteArrayView>
#include <QString>

#include <atomic>

// A linear look at an XML file's bytes before any parser sees them. libxml2 checks attributes and
// namespaces quadratically and XML canonicalisation is quadratic in depth, so a small file of the
// right shape keeps a parser busy for minutes; this refuses such shapes (and what no e-Defter file
// holds: a DOCTYPE, a file that is not a regular file) at the cost of one read of the bytes.
// Large text is no concern of it: attachments may be long.
namespace common {

struct XmlShapeLimits
{
    int maxDepth = 256;      // real ledgers nest under 20
    int maxAttributes = 256; // on one element, namespace declarations included; real ones carry under 10
    int maxNamespaces = 256; // declarations in scope at one element
    int maxNameBytes = 1000;
    // An attribute value is read by libxml2's stream reader in time quadratic in its length, and a
    // comment, processing instruction or CDATA section past 10 MB slows it to a crawl.
    qint64 maxValueBytes = qint64(1) << 20;
    qint64 maxMarkupBytes = qint64(1) << 20; // comments and processing instructions
    qint64 maxCdataBytes = qint64(8) << 20;
    // Canonicalising a signed document (XML signatures) costs each element about as many steps as it
    // has ancestors and namespaces in scope; this bounds their sum over the document. Real ledgers
    // need about 0.2 per byte; 20 MB of tiny nested elements needed 400 million, 83 s.
    // Unlimited when negative.
    qint64 maxCanonicalSteps = -1;
    bool allowDoctype = false; // stylesheets may declare internal entities (&nbsp;)
};

struct XmlPreflight
{
    enum class Verdict
    {
        Fine,
        NotRegularFile,
        Unreadable,
        Doctype,
        TooDeep,
        TooManyAttributes,
        TooManyNamespaces,
        NameTooLong,
        ValueTooLong,
        MarkupTooLong, // a comment, processing instruction or CDATA section
        TooComplex,    // more canonicalisation steps than maxCanonicalSteps
        Cancelled,
    };
    Verdict verdict = Verdict::Fine;
    // Turkish, empty when fine: for a refused shape a sentence naming the limit and the line where it
    // was crossed; for NotRegularFile and Unreadable only the reason, for the caller's "… açılamadı: ".
    QString problem;
    qint64 line = 0; // 1-based, where known
    [[nodiscard]] bool ok() const { return verdict == Verdict::Fine; }
};

// The file at `path` (symlinks followed), or only its first `maxBytes` when that is not negative.
[[nodiscard]] XmlPreflight preflightXmlFile(const QString& path, const XmlShapeLimits& limits = {},
                                            qint64 maxBytes = -1, const std::atomic_bool* cancel = nullptr);
[[nodiscard]] XmlPreflight preflightXml(QByteArrayView bytes, const XmlShapeLimits& limits = {});

// The canonicalisation steps signature checking may take on a file of `fileBytes`: five times what real
// ledgers need, and 10 million (about two seconds) whatever the size.
[[nodiscard]] qint64 canonicalStepsFor(qint64 fileBytes);

} // namespace common
