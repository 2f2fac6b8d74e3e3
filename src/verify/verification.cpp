#include "verify/verification.h"

#include "common/documentkind.h"
#include "verify/certificates.h"
#include "verify/filefacts.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStandardPaths>

#include <filesystem>
#include <memory>

namespace verify {

using namespace detail;
using common::DocumentName;

namespace {

QString kindText(FileKind kind)
{
    switch (kind) {
    case FileKind::Journal:
        return QStringLiteral("Yevmiye defteri");
    case FileKind::Ledger:
        return QStringLiteral("Büyük defter (kebir)");
    case FileKind::JournalBerat:
        return QStringLiteral("Yevmiye defteri beratı");
    case FileKind::LedgerBerat:
        return QStringLiteral("Büyük defter beratı");
    case FileKind::Report:
        return QStringLiteral("Defter raporu");
    case FileKind::FolderReport: // never read: not in the e-Defter namespace
    case FileKind::Mizan:
    case FileKind::Ekstre:
    case FileKind::Unknown:
        break;
    }
    return QStringLiteral("Tanınmayan belge");
}

// The file of that name in `dir`, compared without regard to case (names arrive as .XML too); empty if none.
QString findSibling(const QDir& dir, const QString& fileName)
{
    if (QFileInfo::exists(dir.filePath(fileName))) {
        return dir.filePath(fileName);
    }
    for (const QString& entry : dir.entryList(QDir::Files)) {
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0) {
            return dir.filePath(entry);
        }
    }
    return {};
}

bool valid(const std::optional<SignatureCheck>& c)
{
    return c && c->outcome == SignatureCheck::Outcome::Valid;
}

// An algorithm we cannot check proves nothing either way: that is not a failure.
bool uncheckable(const std::optional<SignatureCheck>& c)
{
    return c && c->outcome == SignatureCheck::Outcome::Uncheckable;
}

QString fileOf(const QString& path)
{
    return QFileInfo(path).fileName();
}

// Builds one result: a status, the parts of the summary line, and the details.
struct Builder
{
    VerificationResult r;
    QStringList parts;
    bool ownFailed = false;  // then the summary names only that; the rest is in the details
    bool unreadable = false; // something could not be checked for another reason than its algorithm

    void add(Status s, const QString& part)
    {
        unreadable = unreadable || s == Status::CouldNotCheck;
        append(s, part);
    }
    // A signature whose algorithm we cannot check.
    void addUncheckable(const QString& part) { append(Status::CouldNotCheck, part); }
    // A signature's outcome: failed, or not checked when its algorithm is one we cannot check.
    void addSignature(const SignatureCheck& c, const QString& part)
    {
        if (c.outcome == SignatureCheck::Outcome::Uncheckable) {
            addUncheckable(part);
        } else {
            add(Status::Failed, part);
        }
    }
    VerificationResult done()
    {
        // Only an algorithm we cannot check: nothing proven either way, marked like a draft rather than a
        // warning about the file.
        const bool nothingProven = r.status == Status::CouldNotCheck && !unreadable;
        r.summary = markOf(nothingProven ? Status::Unsigned : r.status) + ' ' + parts.join(QStringLiteral(" · "));
        return std::move(r);
    }

private:
    void append(Status s, const QString& part)
    {
        r.status = worse(r.status, s);
        if (!ownFailed) {
            parts.append(part);
        }
        if (ownFailed && s != Status::Verified) {
            r.details.append(QStringLiteral("Ayrıca: %1").arg(part));
        }
    }
};

// The file's own signature; false when nothing more is worth saying in the summary.
bool ownPart(Builder& b, const Inspection& in)
{
    b.r.path = in.path;
    b.r.kind = in.kind;
    b.r.status = Status::Verified;
    b.r.details.append(QStringLiteral("Dosya: %1").arg(QDir::toNativeSeparators(in.path)));
    if (in.unreadable) {
        b.add(*in.unreadable, QStringLiteral("Doğrulanamadı: %1").arg(in.problem));
        b.ownFailed = true;
        return false;
    }
    b.r.details.append(QStringLiteral("Belge: %1%2")
                           .arg(kindText(in.kind), in.facts.uniqueId.isEmpty()
                                                       ? QString()
                                                       : QStringLiteral(" (%1)").arg(in.facts.uniqueId)));
    if (!in.signed_) {
        b.add(Status::Unsigned, QStringLiteral("İmzasız dosya (taslak)"));
        b.r.details.append(QStringLiteral("Dosyada imza yok: imzalanmadan önceki bir taslak olabilir"));
        b.ownFailed = true;
        return false;
    }
    if (!in.own) {
        b.add(Status::CouldNotCheck, QStringLiteral("İmza denetlenmedi"));
        b.ownFailed = true;
        return false;
    }
    b.r.signer = in.own->signer;
    b.r.details.append(in.own->notes);
    if (!valid(in.own)) {
        b.r.details.append(QStringLiteral("Sonuç: %1").arg(in.own->problem));
        b.addSignature(*in.own, in.own->problem);
        b.ownFailed = true;
        return false;
    }
    b.add(Status::Verified, QStringLiteral("İmza geçerli"));
    return true;
}

// Every difference between what the berat says about its ledger and the ledger.
QStringList differences(const Inspection& ledger, const Inspection& berat)
{
    QStringList d;
    const Facts& l = ledger.facts;
    const Facts& b = berat.facts;
    if (b.ledgerSignatureValue.isEmpty()) {
        d.append(QStringLiteral("beratta defterin imza değeri yok"));
    } else if (ledger.ownSignatureValue.isEmpty()) {
        d.append(QStringLiteral("defterin imza değeri okunamadı"));
    } else if (b.ledgerSignatureValue != ledger.ownSignatureValue) {
        d.append(QStringLiteral("berattaki imza değeri defterinkiyle aynı değil"));
    }
    if (b.taxpayerId != l.taxpayerId) {
        d.append(QStringLiteral("mükellef: beratta %1, defterde %2").arg(b.taxpayerId, l.taxpayerId));
    }
    if (b.periodStart != l.periodStart || b.periodEnd != l.periodEnd) {
        d.append(QStringLiteral("dönem: beratta %1 – %2, defterde %3 – %4")
                     .arg(b.periodStart, b.periodEnd, l.periodStart, l.periodEnd));
    }
    if (b.uniqueId != l.uniqueId) {
        d.append(QStringLiteral("defter numarası (uniqueID): beratta %1, defterde %2").arg(b.uniqueId, l.uniqueId));
    }
    if (b.entriesType != l.entriesType) {
        d.append(QStringLiteral("defter türü: beratta %1, defterde %2").arg(b.entriesType, l.entriesType));
    }
    if (b.statedEntries >= 0 && l.entryCount >= 0 && b.statedEntries != l.entryCount) {
        d.append(
            QStringLiteral("yevmiye madde sayısı: beratta %1, defterde %2").arg(b.statedEntries).arg(l.entryCount));
    }
    return d;
}

void approvalDetails(Builder& b, const SignatureCheck& counter, const QString& where)
{
    b.r.approver = counter.signer;
    b.r.details.append(QStringLiteral("GİB onayı (%1):").arg(where));
    for (const QString& note : counter.notes) {
        b.r.details.append(QStringLiteral("  %1").arg(note));
    }
    if (!valid(counter)) {
        b.r.details.append(QStringLiteral("  Sonuç: %1").arg(counter.problem));
    }
}

// A berat of a ledger: its own signature, what it says about the ledger, and (GİB's copy) the approval.
// Returns the problem, empty when it holds.
QString beratProblem(const Inspection& berat, const Inspection& ledger)
{
    if (berat.unreadable) {
        return QStringLiteral("berat okunamadı: %1").arg(berat.problem);
    }
    if (!berat.signed_) {
        return QStringLiteral("berat imzasız");
    }
    if (!valid(berat.own) && !uncheckable(berat.own)) {
        return QStringLiteral("beratın imzası geçersiz: %1").arg(berat.own ? berat.own->problem : QString());
    }
    const QStringList d = differences(ledger, berat);
    if (!d.isEmpty()) {
        return QStringLiteral("berat bu deftere ait değil: %1").arg(d.join(QStringLiteral("; ")));
    }
    if (uncheckable(berat.own)) {
        return QStringLiteral("beratın imzası denetlenemedi: %1").arg(berat.own->problem);
    }
    return {};
}

// The summary's words for GİB's approval when it does not hold.
QString approvalProblem(const SignatureCheck& counter)
{
    return (counter.outcome == SignatureCheck::Outcome::Uncheckable ? QStringLiteral("GİB onayı denetlenemedi: %1")
                                                                    : QStringLiteral("GİB onayı geçersiz: %1"))
        .arg(counter.problem);
}

// Each berat found beside a ledger, compared with it; true when one of them belongs to it.
bool compareBerats(Builder& b, const Inspection& ledger, std::initializer_list<const Inspection*> berats)
{
    bool matched = false;
    for (const Inspection* in : berats) {
        if (!in) {
            continue;
        }
        b.r.companions.append(in->path);
        const QString problem = beratProblem(*in, ledger);
        b.r.details.append(
            problem.isEmpty() ? QStringLiteral("Berat %1: imzası geçerli, bu defterin imza değerini taşıyor; mükellef, "
                                               "dönem ve defter numarası aynı")
                                    .arg(fileOf(in->path))
                              : QStringLiteral("Berat %1: %2").arg(fileOf(in->path), problem));
        if (!problem.isEmpty()) {
            QString first = problem;
            first[0] = first[0].toUpper();
            if (uncheckable(in->own) && differences(ledger, *in).isEmpty()) {
                b.addUncheckable(first);
            } else {
                b.add(Status::Failed, first);
            }
        }
        matched = matched || problem.isEmpty();
    }
    return matched;
}

// GİB's approval of a ledger, as its GIB- berat carries it.
void approvalPart(Builder& b, const Inspection& ledger, const Inspection* approved)
{
    if (!approved) {
        b.parts.append(QStringLiteral("GİB onayı bulunamadı"));
        b.r.details.append(QStringLiteral("GİB onaylı berat (GIB-…) klasörde yok"));
    } else if (!approved->unreadable && approved->counter) {
        approvalDetails(b, *approved->counter, fileOf(approved->path));
        if (valid(approved->counter)) {
            if (beratProblem(*approved, ledger).isEmpty()) {
                b.parts.append(QStringLiteral("GİB onaylı"));
            }
        } else {
            b.addSignature(*approved->counter, approvalProblem(*approved->counter));
        }
    } else if (!approved->unreadable) {
        b.add(Status::Failed, QStringLiteral("GİB onaylı beratta GİB'in imzası yok"));
    }
}

VerificationResult ledgerResult(const Inspection& ledger, const Inspection* berat, const Inspection* approved,
                                const QStringList& sought)
{
    Builder b;
    const bool ownValid = ownPart(b, ledger);
    if (!berat && !approved) {
        if (!sought.isEmpty()) {
            b.r.details.append(QStringLiteral("Berat bulunamadı; aranan: %1").arg(sought.join(QStringLiteral(", "))));
            if (ownValid) {
                b.add(Status::Verified, QStringLiteral("Berat bulunamadı"));
            }
        }
        return b.done();
    }
    if (ledger.unreadable || !ledger.signed_) {
        // A draft is not compared with berats: it says only that it is a draft.
        b.r.details.append(QStringLiteral("Berat eşleştirmesi yapılmadı: defterin imzası yok ya da okunamadı"));
        return b.done();
    }
    const bool matched = compareBerats(b, ledger, {berat, approved});
    if (!ownValid) {
        return b.done();
    }
    if (matched) {
        b.parts.append(QStringLiteral("Beratıyla eşleşiyor"));
    }
    approvalPart(b, ledger, approved);
    return b.done();
}

VerificationResult beratResult(const Inspection& berat, bool approvedName, const Inspection* ledger,
                               const QString& sought, bool ledgerSignatureChecked)
{
    Builder b;
    const bool ownValid = ownPart(b, berat);
    if (berat.counter) {
        approvalDetails(b, *berat.counter, QStringLiteral("bu dosyadaki karşı imza"));
        if (!valid(berat.counter)) {
            b.addSignature(*berat.counter, approvalProblem(*berat.counter));
        } else if (ownValid) {
            b.parts.append(QStringLiteral("GİB onaylı"));
        }
    } else if (approvedName && ownValid) {
        b.add(Status::Failed, QStringLiteral("GİB onayı (karşı imza) yok"));
    }
    if (berat.unreadable || !berat.signed_) {
        return b.done();
    }
    if (!ledger) {
        if (!sought.isEmpty()) {
            b.r.details.append(QStringLiteral("Defteri bulunamadı; aranan: %1").arg(sought));
            if (ownValid) {
                b.parts.append(QStringLiteral("Defteri bulunamadı"));
            }
        }
        return b.done();
    }
    b.r.companions.append(ledger->path);
    if (ledger->unreadable) {
        b.r.details.append(QStringLiteral("Defter %1 okunamadı: %2").arg(fileOf(ledger->path), ledger->problem));
        b.parts.append(QStringLiteral("Defteri denetlenemedi"));
        return b.done();
    }
    const QStringList d = differences(*ledger, berat);
    if (d.isEmpty()) {
        b.r.details.append(QStringLiteral("Defter %1: imza değeri, mükellef, dönem ve defter numarası beratla aynı")
                               .arg(fileOf(ledger->path)));
        if (!ledgerSignatureChecked) {
            b.r.details.append(QStringLiteral("Defterin kendi imzası burada denetlenmedi; defteri ayrıca doğrulayın"));
        }
        if (ownValid) {
            b.parts.append(QStringLiteral("Defteriyle eşleşiyor"));
        }
    } else {
        b.r.details.append(QStringLiteral("Defter %1: %2").arg(fileOf(ledger->path), d.join(QStringLiteral("; "))));
        b.add(Status::Failed, QStringLiteral("Berat bu deftere ait değil: %1").arg(d.join(QStringLiteral("; "))));
    }
    return b.done();
}

VerificationResult plainResult(const Inspection& in, const QString& note)
{
    Builder b;
    ownPart(b, in);
    if (in.counter) {
        approvalDetails(b, *in.counter, QStringLiteral("bu dosyadaki karşı imza"));
        if (!valid(in.counter)) {
            b.addSignature(*in.counter, (uncheckable(in.counter) ? QStringLiteral("Karşı imza denetlenemedi: %1")
                                                                 : QStringLiteral("Karşı imza geçersiz: %1"))
                                            .arg(in.counter->problem));
        }
    }
    if (!note.isEmpty()) {
        b.r.details.append(note);
    }
    return b.done();
}

void addGaps(VerificationResult& r)
{
    if (r.status == Status::Verified) {
        r.details.append(QStringLiteral("Denetlenmeyenler: sertifikaların iptal durumu (çevrimiçi sorgu yapılmaz)"));
    }
}

QString rootsFolderOf(const VerifyOptions& options)
{
    return options.rootsFolder.isEmpty() ? defaultRootsFolder() : options.rootsFolder;
}

bool cancelled(const std::atomic_bool* cancel)
{
    return cancel && cancel->load();
}

// Why a folder entry leads to no file at all, in Turkish; empty when it leads to one.
QString unreadableEntry(const QFileInfo& entry)
{
    if (entry.isSymLink() && !entry.exists()) {
        std::error_code ec;
        (void)std::filesystem::status(std::filesystem::path(entry.absoluteFilePath().toStdU16String()), ec);
        if (ec == std::errc::too_many_symbolic_link_levels) {
            return QStringLiteral("Sembolik bağ döngüsü: bağ dönüp kendini gösteriyor, dosyaya ulaşılamıyor");
        }
        return QStringLiteral("Sembolik bağın gösterdiği dosya yok: %1")
            .arg(QDir::toNativeSeparators(entry.symLinkTarget()));
    }
    return {};
}

std::shared_ptr<const FileContent> contentOf(const Inspection& in, qint64 bytes)
{
    return std::make_shared<const FileContent>(FileContent{bytes, in.facts, in.ownSignatureValue, in.tally});
}

VerificationResult cancelledResult(const QString& path)
{
    VerificationResult r;
    r.path = path;
    r.status = Status::CouldNotCheck;
    r.summary = markOf(r.status) + QStringLiteral(" Denetim durduruldu");
    return r;
}

// A file checked alone: its berats, its ledger or anything else a name's neighbours would tell are
// read from the same folder, each when it is there.
struct FileCheck
{
    const VerifyOptions& options;
    const Roots& roots;
    const std::atomic_bool* cancel;
    QDir dir;

    std::optional<Inspection> sibling(const QString& fileName, bool checkSignatures) const
    {
        const QString path = findSibling(dir, fileName);
        if (path.isEmpty()) {
            return std::nullopt;
        }
        return inspect(path, options, roots, cancel, checkSignatures);
    }

    VerificationResult ledgerWithBerats(const Inspection& ledger, const DocumentName& name) const
    {
        const std::optional<Inspection> berat = sibling(name.berat(false).fileName(), true);
        const std::optional<Inspection> approved = sibling(name.berat(true).fileName(), true);
        if (cancelled(cancel)) {
            return cancelledResult(ledger.path);
        }
        return ledgerResult(ledger, berat ? &*berat : nullptr, approved ? &*approved : nullptr,
                            {name.berat(false).fileName(), name.berat(true).fileName()});
    }

    VerificationResult beratWithLedger(const Inspection& berat, const DocumentName& name) const
    {
        const QString ledgerName = name.ledger().fileName();
        // The ledger's own signature is its own check (and the long one); here only what the berat states.
        const std::optional<Inspection> ledger = sibling(ledgerName, false);
        if (cancelled(cancel)) {
            return cancelledResult(berat.path);
        }
        return beratResult(berat, name.gib, ledger ? &*ledger : nullptr, ledgerName, false);
    }
};

// A folder's files, each read once, then put in order: each ledger with its berats after it. Berats
// and ledgers are matched from what was read, by name without regard to case (names arrive as .XML too).
class FolderCheck
{
public:
    FolderCheck(const QString& folder, const VerifyOptions& options, const std::atomic_bool* cancel)
        : m_roots(rootsFolderOf(options)), m_dir(folder), m_options(options), m_cancel(cancel)
    {}

    FolderResult run()
    {
        if (inspectAll()) {
            for (const QString& file : std::as_const(m_files)) {
                if (!m_done.contains(file)) {
                    addInNameOrder(file);
                }
            }
            addLeftOverBerats();
        }
        return std::move(m_result);
    }

private:
    // False when cancelled.
    bool inspectAll()
    {
        // System too: on Unix that lists links that lead nowhere (or round in a loop), so they are named
        // instead of skipped without a word.
        const QFileInfoList entries =
            m_dir.entryInfoList({QStringLiteral("*.xml")}, QDir::Files | QDir::System, QDir::Name | QDir::IgnoreCase);
        m_files.reserve(entries.size());
        m_result.files.reserve(entries.size());
        for (const QFileInfo& entry : entries) {
            const QString file = entry.fileName();
            if (cancelled(m_cancel)) {
                m_result.files.append(cancelledResult(m_dir.filePath(file)));
                m_result.status = worse(m_result.status, Status::CouldNotCheck);
                return false;
            }
            auto in = std::make_shared<Inspection>(inspectEntry(entry));
            m_files.append(file);
            m_byFoldedName.insert(file.toCaseFolded(), in.get());
            m_inspected.insert(file, std::move(in));
        }
        return true;
    }

    Inspection inspectEntry(const QFileInfo& entry)
    {
        const QString path = m_dir.filePath(entry.fileName());
        if (const QString reason = unreadableEntry(entry); !reason.isEmpty()) {
            Inspection in;
            in.path = path;
            in.unreadable = Status::CouldNotCheck;
            in.problem = reason;
            m_result.unreadable.append({in.path, reason});
            return in;
        }
        Inspection in = inspect(path, m_options, m_roots, m_cancel, true);
        // Asked only of a file that failed, since it costs a system call.
        if (in.unreadable && entry.isFile() && !entry.isReadable()) {
            m_result.unreadable.append({in.path, QStringLiteral("Dosya okunamıyor: okuma izni yok")});
        }
        if (m_options.keepContent && !in.unreadable) {
            m_contents.insert(path, contentOf(in, entry.size()));
        }
        if (m_options.fileChecked) {
            m_options.fileChecked(path);
        }
        return in;
    }

    const Inspection* find(const DocumentName& n) const
    {
        return m_byFoldedName.value(n.fileName().toCaseFolded(), nullptr);
    }

    void add(VerificationResult r)
    {
        addGaps(r);
        r.content = m_contents.value(r.path);
        m_result.status = worse(m_result.status, r.status);
        m_result.files.append(std::move(r));
    }

    void addInNameOrder(const QString& file)
    {
        const Inspection& in = *m_inspected[file];
        const std::optional<DocumentName> name = DocumentName::parse(file);
        if (name && common::isLedger(name->kind) && common::isLedger(in.kind)) {
            addLedgerWithBerats(in, *name);
        } else if (name && common::isBerat(name->kind) && (common::isBerat(in.kind) || in.unreadable)) {
            if (find(name->ledger())) {
                return; // comes after its ledger
            }
            add(beratResult(in, name->gib, nullptr, name->ledger().fileName(), true));
            m_result.beratsWithoutLedger.append(in.path);
        } else {
            add(plainResult(in, {}));
        }
        m_done.insert(file);
    }

    void addLedgerWithBerats(const Inspection& ledger, const DocumentName& name)
    {
        const Inspection* berat = find(name.berat(false));
        const Inspection* approved = find(name.berat(true));
        add(ledgerResult(ledger, berat, approved, {name.berat(false).fileName(), name.berat(true).fileName()}));
        if (!berat && !approved) {
            m_result.ledgersWithoutBerat.append(ledger.path);
        }
        for (const Inspection* b : {berat, approved}) {
            if (!b) {
                continue;
            }
            const QString bName = fileOf(b->path);
            add(beratResult(*b, bName.startsWith(QLatin1String("GIB-"), Qt::CaseInsensitive), &ledger, {}, true));
            m_done.insert(bName);
        }
    }

    // Berats whose ledger came later in name order were skipped and then added with it; any left over
    // (their ledger unreadable as a ledger) are added last.
    void addLeftOverBerats()
    {
        for (const QString& file : std::as_const(m_files)) {
            if (!m_done.contains(file)) {
                const Inspection& in = *m_inspected[file];
                const std::optional<DocumentName> name = DocumentName::parse(file);
                add(beratResult(in, name && name->gib, name ? find(name->ledger()) : nullptr, {}, true));
            }
        }
    }

    const Roots m_roots;
    const QDir m_dir;
    const VerifyOptions& m_options;
    const std::atomic_bool* m_cancel;
    FolderResult m_result;
    QStringList m_files;
    QHash<QString, std::shared_ptr<Inspection>> m_inspected;
    QHash<QString, const Inspection*> m_byFoldedName;
    QHash<QString, std::shared_ptr<const FileContent>> m_contents;
    QSet<QString> m_done;
};

} // namespace

QString defaultRootsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/verazidedaze/kokler");
}

QString markOf(Status status)
{
    switch (status) {
    case Status::Verified:
        return QStringLiteral("✔");
    case Status::Unsigned:
        return QStringLiteral("○");
    case Status::Failed:
        return QStringLiteral("✘");
    case Status::CouldNotCheck:
        break;
    }
    return QStringLiteral("⚠");
}

QString statusKey(Status status)
{
    switch (status) {
    case Status::Verified:
        return QStringLiteral("verified");
    case Status::Unsigned:
        return QStringLiteral("unsigned");
    case Status::Failed:
        return QStringLiteral("failed");
    case Status::CouldNotCheck:
        break;
    }
    return QStringLiteral("could-not-check");
}

Status worse(Status a, Status b)
{
    auto rank = [](Status s) {
        switch (s) {
        case Status::Failed:
            return 3;
        case Status::CouldNotCheck:
            return 2;
        case Status::Unsigned:
            return 1;
        case Status::Verified:
            break;
        }
        return 0;
    };
    return rank(a) >= rank(b) ? a : b;
}

VerificationResult verifyFile(const QString& path, const VerifyOptions& options, const std::atomic_bool* cancel)
{
    const Roots roots(rootsFolderOf(options));
    const Inspection main = inspect(path, options, roots, cancel, true);
    const QFileInfo info(path);
    const std::optional<DocumentName> name = DocumentName::parse(info.fileName());
    const FileCheck check{options, roots, cancel, info.dir()};
    VerificationResult result;
    if (!options.checkCompanions || main.unreadable) {
        result = plainResult(main, {});
    } else if (cancelled(cancel)) {
        return cancelledResult(path);
    } else if (common::isLedger(main.kind) && name && common::isLedger(name->kind)) {
        result = check.ledgerWithBerats(main, *name);
    } else if (common::isBerat(main.kind) && name && common::isBerat(name->kind)) {
        result = check.beratWithLedger(main, *name);
    } else {
        result = plainResult(main, common::isLedger(main.kind) || common::isBerat(main.kind)
                                       ? QStringLiteral("Dosya adı e-Defter adlandırmasına (VKN-YYYYAA-T-NNNNNN.xml) "
                                                        "uymadığından berat ve defter eşleştirmesi yapılmadı")
                                       : QString());
    }
    addGaps(result);
    return result;
}

FolderResult verifyFolder(const QString& folder, const VerifyOptions& options, const std::atomic_bool* cancel)
{
    return FolderCheck(folder, options, cancel).run();
}

} // namespace verify
