#include "verify/filefacts.h"

#include "verify/certificates.h"

#include "common/documentkind.h"
#include "common/turkishformat.h"
#include "common/xmlhandles.h"
#include "common/xmlpreflight.h"
#include "ledger/tally.h"

#include <libxml/parser.h>
#include <libxml/xmlreader.h>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstring>

namespace verify::detail {

namespace {

constexpr const char* kEdefterNs = common::kEdefterNamespace;
constexpr const char* kXbrliNs = "http://www.xbrl.org/2003/instance";
constexpr const char* kGlCorNs = "http://www.xbrl.org/int/gl/cor/2006-10-25";
constexpr const char* kGlBusNs = "http://www.xbrl.org/int/gl/bus/2006-10-25";

struct Source
{
    QFile file;
    const std::atomic_bool* cancel = nullptr;
    bool cancelled = false;
    const std::function<void(const QString&, qint64)>* reading = nullptr;
    qint64 told = 0;
};

int readSource(void* context, char* buffer, int length)
{
    auto* source = static_cast<Source*>(context);
    if (source->cancel && source->cancel->load()) {
        source->cancelled = true;
        return -1;
    }
    const qint64 n = source->file.read(buffer, length);
    // Told every 4 MB: a 200 MB part takes a while to parse.
    if (source->reading && *source->reading && source->file.pos() - source->told >= 4 * 1024 * 1024) {
        source->told = source->file.pos();
        (*source->reading)(source->file.fileName(), source->told);
    }
    return int(n);
}

QString whitespaceRemoved(QString text)
{
    return text.remove(QRegularExpression(QStringLiteral("\\s")));
}

FileKind kindOf(const Facts& f)
{
    return common::documentKind(f.root, f.entriesType);
}

QString changedText(FileKind kind)
{
    switch (kind) {
    case FileKind::Journal:
    case FileKind::Ledger:
        return QStringLiteral("Defter imzalandıktan sonra değiştirilmiş");
    case FileKind::JournalBerat:
    case FileKind::LedgerBerat:
        return QStringLiteral("Berat imzalandıktan sonra değiştirilmiş");
    case FileKind::Report:
        return QStringLiteral("Defter raporu imzalandıktan sonra değiştirilmiş");
    case FileKind::FolderReport:
    case FileKind::Mizan:
    case FileKind::Ekstre:
    case FileKind::Unknown:
        break;
    }
    return QStringLiteral("Dosya imzalandıktan sonra değiştirilmiş");
}

// The texts of an element's descendants, joined by spaces: an address in one line.
QString joinedText(const xmlNode* node)
{
    QStringList parts;
    for (const xmlNode* c = node ? node->children : nullptr; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE) {
            const QString text =
                c->children && c->children->type == XML_ELEMENT_NODE ? joinedText(c) : textOf(c).simplified();
            if (!text.isEmpty()) {
                parts.append(text);
            }
        }
    }
    return parts.join(QLatin1Char(' '));
}

// The company as its ledger and berats each repeat it: name, phone, e-mail, address.
QList<std::pair<QString, QString>> companyOf(const xmlNode* info)
{
    QList<std::pair<QString, QString>> details;
    for (const xmlNode* c = info ? info->children : nullptr; c; c = c->next) {
        if (isElement(c, kGlBusNs, "organizationIdentifiers")) {
            const QString label = textOf(child(c, kGlBusNs, "organizationDescription")).simplified();
            details.append({label, textOf(child(c, kGlBusNs, "organizationIdentifier")).simplified()});
        } else if (isElement(c, kGlBusNs, "entityPhoneNumber")) {
            details.append({QStringLiteral("Telefon"), textOf(child(c, kGlBusNs, "phoneNumber")).simplified()});
        } else if (isElement(c, kGlBusNs, "entityEmailAddressStructure")) {
            details.append({QStringLiteral("E-posta"), textOf(child(c, kGlBusNs, "entityEmailAddress")).simplified()});
        } else if (isElement(c, kGlBusNs, "organizationAddress")) {
            details.append({QStringLiteral("Adres"), joinedText(c)});
        }
    }
    return details;
}

void readFacts(xmlNodePtr root, Facts& f)
{
    f.root = QString::fromUtf8(reinterpret_cast<const char*>(root->name));
    xmlNodePtr xbrl = child(root, kXbrliNs, "xbrl");
    xmlNodePtr context = child(xbrl, kXbrliNs, "context");
    xmlNodePtr entity = child(context, kXbrliNs, "entity");
    f.taxpayerId = textOf(child(entity, kXbrliNs, "identifier")).trimmed();
    if (xmlNodePtr stated = child(child(entity, kXbrliNs, "segment"), kGlBusNs, "numberOfEntries")) {
        bool ok = false;
        const qint64 n = textOf(stated).trimmed().toLongLong(&ok);
        f.statedEntries = ok ? n : -1;
    }
    f.statedSize = textOf(child(child(entity, kXbrliNs, "segment"), kGlBusNs, "measurableQuantity")).trimmed();
    xmlNodePtr entries = child(xbrl, kGlCorNs, "accountingEntries");
    xmlNodePtr info = child(entries, kGlCorNs, "documentInfo");
    f.entriesType = textOf(child(info, kGlCorNs, "entriesType")).trimmed();
    f.uniqueId = textOf(child(info, kGlCorNs, "uniqueID")).trimmed();
    f.periodStart = textOf(child(info, kGlCorNs, "periodCoveredStart")).trimmed();
    f.periodEnd = textOf(child(info, kGlCorNs, "periodCoveredEnd")).trimmed();
    xmlNodePtr information = child(entries, kGlCorNs, "entityInformation");
    f.company = companyOf(information);
    f.fiscalYearStart = textOf(child(information, kGlBusNs, "fiscalYearStart")).trimmed();
    if (f.root == QLatin1String("defter")) {
        f.entryCount = 0;
        for (xmlNodePtr c = entries ? entries->children : nullptr; c; c = c->next) {
            f.entryCount += isElement(c, kGlCorNs, "entryHeader") ? 1 : 0;
        }
    }
    if (xmlNodePtr value = child(root, kDsNs, "SignatureValue")) {
        f.ledgerSignatureValue = whitespaceRemoved(textOf(value));
    }
}

// Signatures anywhere in the tree: the root's own, counter-signatures inside it, and any other.
struct SignatureNodes
{
    QList<xmlNodePtr> own;
    QList<xmlNodePtr> counter;
    int elsewhere = 0;
};

SignatureNodes findSignatures(xmlNodePtr root)
{
    SignatureNodes found;
    // Iterative: a hostile file may nest deeply.
    for (xmlNodePtr node = root->children; node;) {
        if (isElement(node, kDsNs, "Signature")) {
            if (node->parent == root) {
                found.own.append(node);
            } else if (isElement(node->parent, kXadesNs, "CounterSignature")) {
                found.counter.append(node);
            } else {
                ++found.elsewhere;
            }
        }
        if (node->type == XML_ELEMENT_NODE && node->children) {
            node = node->children;
            continue;
        }
        while (node && !node->next && node != root) {
            node = node->parent;
        }
        if (!node || node == root) {
            break;
        }
        node = node->next;
    }
    return found;
}

// What precedes the root element. A DOCTYPE is refused before parsing: its internal subset can declare
// entities that expand a millionfold, and large files need the parser's size limits lifted.
enum class Prolog
{
    Plain,
    Doctype,
    Unusual, // not plain UTF-8 markup, or longer than any real file's
};

Prolog scanProlog(QFile& file)
{
    const QByteArray head = file.peek(64 * 1024);
    qsizetype i = head.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    for (;;) {
        while (i < head.size() && QChar::isSpace(uchar(head[i]))) {
            ++i;
        }
        if (i >= head.size()) {
            return head.size() < 64 * 1024 ? Prolog::Plain : Prolog::Unusual;
        }
        if (head[i] != '<') {
            return head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF") ? Prolog::Unusual : Prolog::Plain;
        }
        const QByteArray rest = head.mid(i, 9);
        qsizetype end = -1;
        if (rest.startsWith("<?")) {
            end = head.indexOf("?>", i) + 2;
        } else if (rest.startsWith("<!--")) {
            end = head.indexOf("-->", i) + 3;
        } else if (rest.startsWith("<!DOCTYPE")) {
            return Prolog::Doctype;
        } else {
            return Prolog::Plain;
        }
        if (end < i) {
            return Prolog::Unusual;
        }
        i = end;
    }
}

QString parseProblem(xmlParserCtxtPtr ctxt, qint64 size)
{
    const xmlError* error = xmlCtxtGetLastError(ctxt);
    const QString message = error && error->message ? QString::fromUtf8(error->message).trimmed() : QString();
    const int line = error ? error->line : 0;
    if (size == 0) {
        return QStringLiteral("Dosya boş");
    }
    if (error && (error->code == XML_ERR_DOCUMENT_END || error->code == XML_ERR_LTSLASH_REQUIRED ||
                  error->code == XML_ERR_GT_REQUIRED || error->code == XML_ERR_TAG_NOT_FINISHED ||
                  message.contains(QLatin1String("Premature end")))) {
        return QStringLiteral("Dosya yarıda kesilmiş ya da bozuk: XML %1. satırda bitmeden sona eriyor (%2)")
            .arg(line)
            .arg(message);
    }
    if (error && error->code == XML_ERR_DOCUMENT_EMPTY) {
        return QStringLiteral("Dosya XML değil: belge öğesi yok");
    }
    return QStringLiteral("Dosya geçerli bir XML değil: %1. satır: %2").arg(line).arg(message);
}

// No entities substituted, no DTD loaded, nothing from the network; blanks kept, since they are signed.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

bool named(xmlTextReaderPtr reader, const char* ns, const char* name)
{
    const xmlChar* uri = xmlTextReaderConstNamespaceUri(reader);
    return uri && std::strcmp(reinterpret_cast<const char*>(uri), ns) == 0 &&
           std::strcmp(reinterpret_cast<const char*>(xmlTextReaderConstLocalName(reader)), name) == 0;
}

// What a berat is compared with, read from its ledger as a stream: a 200 MB ledger would take 1.5 GB as a
// tree. The few small parts needed are expanded one by one; entries are only counted.
void streamFacts(Source& source, Inspection& result)
{
    const common::XmlTextReader reader(xmlReaderForIO(readSource, nullptr, &source, nullptr, nullptr, kParseOptions));
    Facts& f = result.facts;
    int signatures = 0;
    int ret = reader ? xmlTextReaderRead(reader.get()) : -1;
    while (ret == 1) {
        xmlTextReaderPtr r = reader.get();
        bool skip = false;
        if (xmlTextReaderNodeType(r) == XML_READER_TYPE_ELEMENT) {
            const int depth = xmlTextReaderDepth(r);
            if (depth == 0) {
                if (!named(r, kEdefterNs, reinterpret_cast<const char*>(xmlTextReaderConstLocalName(r)))) {
                    break;
                }
                f.root = QString::fromUtf8(reinterpret_cast<const char*>(xmlTextReaderConstLocalName(r)));
                f.entryCount = f.root == QLatin1String("defter") ? 0 : -1;
            } else if (depth == 2 && named(r, kXbrliNs, "context")) {
                xmlNodePtr entity = child(xmlTextReaderExpand(r), kXbrliNs, "entity");
                f.taxpayerId = textOf(child(entity, kXbrliNs, "identifier")).trimmed();
                skip = true;
            } else if (depth == 3 && named(r, kGlCorNs, "documentInfo")) {
                xmlNodePtr info = xmlTextReaderExpand(r);
                f.entriesType = textOf(child(info, kGlCorNs, "entriesType")).trimmed();
                f.uniqueId = textOf(child(info, kGlCorNs, "uniqueID")).trimmed();
                f.periodStart = textOf(child(info, kGlCorNs, "periodCoveredStart")).trimmed();
                f.periodEnd = textOf(child(info, kGlCorNs, "periodCoveredEnd")).trimmed();
                skip = true;
            } else if (depth == 3 && named(r, kGlCorNs, "entryHeader")) {
                ++f.entryCount;
                skip = true;
            } else if (depth == 1 && named(r, kDsNs, "Signature")) {
                if (++signatures == 1) {
                    result.ownSignatureValue =
                        whitespaceRemoved(textOf(child(xmlTextReaderExpand(r), kDsNs, "SignatureValue")));
                }
                skip = true;
            } else if (depth == 1 && named(r, kDsNs, "SignatureValue")) {
                f.ledgerSignatureValue = whitespaceRemoved(textOf(xmlTextReaderExpand(r)));
                skip = true;
            }
        }
        ret = skip ? xmlTextReaderNext(r) : xmlTextReaderRead(r);
    }
    if (source.cancelled) {
        result.unreadable = Status::CouldNotCheck;
        result.problem = QStringLiteral("Denetim durduruldu");
    } else if (ret < 0 || f.root.isEmpty()) {
        result.unreadable = Status::CouldNotCheck;
        result.problem = f.root.isEmpty() ? QStringLiteral("Dosya bir e-Defter belgesi değil ya da XML değil")
                                          : QStringLiteral("Dosya geçerli bir XML değil ya da yarıda kesilmiş");
    }
    result.kind = kindOf(f);
    result.signed_ = signatures > 0;
}

// Why the file is not read at all (too big, refused by the pre-flight, no signature library); empty when
// it may be read.
QString refusedBeforeReading(const QString& path, const QFileInfo& info, const VerifyOptions& options,
                             const std::atomic_bool* cancel, bool checkSignatures)
{
    if (info.size() > options.maxFileBytes) {
        return QStringLiteral("Dosya denetlenemeyecek kadar büyük: %1 MB (sınır %2 MB)")
            .arg(common::megabytes(info.size(), 1))
            .arg(options.maxFileBytes / 1048576);
    }
    common::XmlShapeLimits limits;
    limits.maxCanonicalSteps = checkSignatures ? common::canonicalStepsFor(info.size()) : -1;
    const common::XmlPreflight preflight = common::preflightXmlFile(path, limits, -1, cancel);
    if (!preflight.ok()) {
        using Verdict = common::XmlPreflight::Verdict;
        if (preflight.verdict == Verdict::Cancelled) {
            return QStringLiteral("Denetim durduruldu");
        }
        const bool unread = preflight.verdict == Verdict::Unreadable || preflight.verdict == Verdict::NotRegularFile;
        return unread ? QStringLiteral("Dosya okunamadı: %1").arg(preflight.problem) : preflight.problem;
    }
    if (!initialiseXmlsec()) {
        return QStringLiteral("İmza kitaplığı (xmlsec) başlatılamadı");
    }
    return {};
}

// Why what precedes the root element is refused; empty when it is plain.
QString prologProblem(QFile& file)
{
    switch (scanProlog(file)) {
    case Prolog::Doctype:
        return QStringLiteral("Dosyada DOCTYPE bildirimi var; e-Defter dosyalarında olmaz, "
                              "güvenlik için denetlenmedi");
    case Prolog::Unusual:
        return QStringLiteral("Dosyanın başı beklenen biçimde değil (UTF-8 XML bildirimi "
                              "ve kök öğe beklenir); güvenlik için denetlenmedi");
    case Prolog::Plain:
        break;
    }
    return {};
}

// The whole tree, for the signature check; without it, `problem` says why.
common::XmlDoc parseTree(Source& source, qint64 size, QString& problem)
{
    const common::XmlParserContext context(xmlNewParserCtxt());
    common::XmlDoc doc(xmlCtxtReadIO(context.get(), readSource, nullptr, &source, nullptr, nullptr, kParseOptions));
    if (source.cancelled) {
        problem = QStringLiteral("Denetim durduruldu");
        return nullptr;
    }
    if (!doc) {
        problem = parseProblem(context.get(), size);
    }
    return doc;
}

SignatureCheck refused(const QString& problem)
{
    SignatureCheck check;
    check.outcome = SignatureCheck::Outcome::Unsupported;
    check.problem = problem;
    return check;
}

void stopped(Inspection& result)
{
    result.unreadable = Status::CouldNotCheck;
    result.problem = QStringLiteral("Denetim durduruldu");
}

// GİB's counter-signature must sit in the own signature's unsigned properties and sign its SignatureValue.
SignatureCheck counterCheck(xmlDocPtr doc, xmlNodePtr own, const QList<xmlNodePtr>& counters, const Roots& roots,
                            FileKind kind)
{
    if (counters.size() > 1) {
        return refused(QStringLiteral("Beratta %1 karşı imza var; bir tane beklenir").arg(counters.size()));
    }
    xmlNodePtr counter = counters.front();
    bool inside = false;
    for (xmlNodePtr p = counter->parent; p && !inside; p = p->parent) {
        inside = p == own;
    }
    if (!inside) {
        return refused(QStringLiteral("Karşı imza beratın imzasının içinde değil"));
    }
    return checkSignature(doc, counter, child(own, kDsNs, "SignatureValue"), roots, {changedText(kind)});
}

// The file's own signature and GİB's approval inside it, each checked when there is exactly one.
void checkOwnAndApproval(xmlDocPtr doc, xmlNodePtr root, const Roots& roots, const std::atomic_bool* cancel,
                         Inspection& result)
{
    const SignatureNodes signatures = findSignatures(root);
    result.signed_ = !signatures.own.isEmpty() || signatures.elsewhere > 0;
    if (signatures.own.size() == 1) {
        result.ownSignatureValue = whitespaceRemoved(textOf(child(signatures.own.front(), kDsNs, "SignatureValue")));
    }
    result.counterPresent = !signatures.counter.isEmpty();
    if (!result.signed_) {
        return;
    }
    if (signatures.own.size() > 1 || signatures.elsewhere > 0) {
        result.own = refused(signatures.own.size() > 1
                                 ? QStringLiteral("Dosyada %1 imza var; bir imza beklenir").arg(signatures.own.size())
                                 : QStringLiteral("Dosyada beklenmeyen bir yerde imza var"));
        return;
    }
    if (cancel && cancel->load()) {
        return stopped(result);
    }
    xmlNodePtr own = signatures.own.front();
    result.own = checkSignature(doc, own, nullptr, roots, {changedText(result.kind)});
    if (signatures.counter.isEmpty()) {
        return;
    }
    if (cancel && cancel->load()) {
        return stopped(result);
    }
    result.counter = counterCheck(doc, own, signatures.counter, roots, result.kind);
}

// The lines added up from the tree just parsed; false when cancelled.
bool tallyTree(xmlDocPtr doc, const QString& name, const std::atomic_bool* cancel, Inspection& result)
{
    if (result.kind == FileKind::Unknown) {
        return true;
    }
    auto tally =
        std::make_shared<ledger::Tally>(result.facts.periodStart.toStdString(), result.facts.periodEnd.toStdString());
    ledger::LedgerReader reader(doc, name, cancel);
    if (tally->readAll(reader) == ledger::ReadEvent::Cancelled) {
        return false;
    }
    result.tally = std::move(tally);
    return true;
}

} // namespace

Inspection inspect(const QString& path, const VerifyOptions& options, const Roots& roots,
                   const std::atomic_bool* cancel, bool checkSignatures)
{
    Inspection result;
    result.path = path;
    auto give = [&](const QString& problem) {
        result.unreadable = Status::CouldNotCheck;
        result.problem = problem;
        return result;
    };
    const QFileInfo info(path);
    if (const QString problem = refusedBeforeReading(path, info, options, cancel, checkSignatures);
        !problem.isEmpty()) {
        return give(problem);
    }
    Source source;
    source.cancel = cancel;
    source.reading = &options.fileReading;
    source.file.setFileName(path);
    if (!source.file.open(QIODevice::ReadOnly)) {
        return give(QStringLiteral("Dosya okunamadı: %1").arg(source.file.errorString()));
    }
    if (const QString problem = prologProblem(source.file); !problem.isEmpty()) {
        return give(problem);
    }
    if (!checkSignatures) {
        streamFacts(source, result);
        return result;
    }
    QString problem;
    const common::XmlDoc doc = parseTree(source, info.size(), problem);
    if (!doc) {
        return give(problem);
    }
    xmlNodePtr root = xmlDocGetRootElement(doc.get());
    if (!root || !root->ns || std::strcmp(reinterpret_cast<const char*>(root->ns->href), kEdefterNs) != 0) {
        return give(QStringLiteral("Dosya bir e-Defter belgesi değil (kök öğe tanınmadı)"));
    }
    readFacts(root, result.facts);
    result.kind = kindOf(result.facts);
    if (options.keepContent && !tallyTree(doc.get(), info.fileName(), cancel, result)) {
        return give(QStringLiteral("Denetim durduruldu"));
    }
    checkOwnAndApproval(doc.get(), root, roots, cancel, result);
    return result;
}

} // namespace verify::detail
