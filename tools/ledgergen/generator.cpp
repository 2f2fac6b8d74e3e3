#include "generator.h"

#include "calendar.h"
#include "chart.h"
#include "digest.h"
#include "documents.h"
#include "entries.h"
#include "pki.h"
#include "random.h"
#include "signature.h"
#include "taxpayer.h"
#include "text.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace ledgergen {

namespace fs = std::filesystem;

namespace {

// Average journal bytes per entry, to turn --size into an expected entry count (chart size, numbering).
constexpr uint64_t kBytesPerEntry = 5000;
// Room kept at the end of a --size month for the month-end entries and the signature.
constexpr uint64_t kMonthEndReserve = 64 * 1024;
// Lines of one POS batch entry when --big-account-lines is used.
constexpr uint64_t kPosLinesPerBatch = 50;
constexpr uint64_t kMaxPosLinesPerBatch = 1000;

struct GenerationError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

std::string pathText(const fs::path& path)
{
    const std::u8string u8 = path.u8string();
    return std::string(u8.begin(), u8.end());
}

// Buffered binary output that counts bytes and remembers any write failure until close().
class FileSink
{
public:
    void open(const fs::path& path)
    {
        m_path = path;
        m_bytes = 0;
        m_buffer.clear();
        m_digest.reset();
        m_stream.open(path, std::ios::binary | std::ios::trunc);
        if (!m_stream) {
            throw GenerationError("Dosya açılamadı: " + pathText(path));
        }
    }

    // Written and digested.
    void write(std::string_view data)
    {
        m_digest.body(data);
        writeUnsigned(data);
    }

    void writeHead(std::string_view data)
    {
        m_digest.head(data);
        writeUnsigned(data);
    }

    // The signature itself, which its own digest leaves out.
    void writeUnsigned(std::string_view data)
    {
        m_buffer += data;
        m_bytes += data.size();
        if (m_buffer.size() >= (1u << 20)) {
            flush();
        }
    }

    void close()
    {
        flush();
        m_stream.close();
        if (m_stream.fail()) {
            throw GenerationError("Dosya yazılamadı (disk dolu olabilir): " + pathText(m_path));
        }
    }

    uint64_t bytes() const { return m_bytes; }
    std::string digest(std::string_view root) { return m_digest.finish(Documents::kBeforeSignature, root); }

private:
    void flush()
    {
        m_stream.write(m_buffer.data(), std::streamsize(m_buffer.size()));
        m_buffer.clear();
        if (!m_stream) {
            throw GenerationError("Dosya yazılamadı (disk dolu olabilir): " + pathText(m_path));
        }
    }

    fs::path m_path;
    std::ofstream m_stream;
    std::string m_buffer;
    uint64_t m_bytes = 0;
    DocumentDigest m_digest;
};

constexpr std::string_view kDefter = "edefter:defter";
constexpr std::string_view kBerat = "edefter:berat";
constexpr std::string_view kReport = "edefter:defterraporu";

uint64_t expectedEntries(const Options& o)
{
    return o.sizeBytes > 0 ? std::max<uint64_t>(1, o.sizeBytes / kBytesPerEntry) : o.entries;
}

Period makePeriod(const Options& o)
{
    Rng rng(streamSeed(o.seed, "period"));
    Period p;
    p.start = {o.year, o.month, 1};
    p.end = {o.year, o.month, daysInMonth(o.year, o.month)};
    p.created = addDays(p.end, int(rng.between(5, 20)));
    p.approved = addDays(p.created, int(rng.between(1, 3)));
    return p;
}

// Entry and line numbers continue over the fiscal year, so a month after January starts where the earlier
// months, of about the same size, would have left them.
uint32_t firstCounter(const Options& o)
{
    if (o.month == 1) {
        return 1;
    }
    Rng rng(streamSeed(o.seed, "numbering"));
    const uint64_t perMonth = expectedEntries(o) * uint64_t(rng.between(90, 110)) / 100;
    return uint32_t(std::min<uint64_t>(1 + uint64_t(o.month - 1) * perMonth, 2000000000));
}

uint32_t firstLineNumber(const Options& o, uint32_t counter)
{
    if (counter == 1) {
        return 1;
    }
    Rng rng(streamSeed(o.seed, "numbering", 1));
    return uint32_t(std::min<uint64_t>(uint64_t(counter - 1) * 3 + uint64_t(rng.between(0, 500)), 4000000000u));
}

int customerCount(const Options& o)
{
    return int(std::clamp<uint64_t>(expectedEntries(o) / 25, 12, 400));
}

int supplierCount(const Options& o)
{
    return int(std::clamp<uint64_t>(expectedEntries(o) / 50, 8, 200));
}

bool carriesInvoice(const Entry& e)
{
    const DocKind doc = e.lines.front().doc;
    return doc == DocKind::SalesInvoice || doc == DocKind::PurchaseInvoice || doc == DocKind::ReturnInvoice;
}

class MonthGenerator
{
public:
    explicit MonthGenerator(const Options& o)
        : m_opt(o), m_period(makePeriod(o)), m_taxpayer(makeTaxpayer(o.person, o.branch, o.year)),
          m_chart(o.seed, customerCount(o), supplierCount(o)), m_docs(m_taxpayer, m_chart, m_period),
          m_factory(m_chart, m_taxpayer, m_period.start, o.seed, firstCounter(o), firstLineNumber(o, firstCounter(o))),
          m_partLimit(o.partBytes > 0 ? o.partBytes : kMaxPartBytes), m_attachmentsLeft(o.attachments)
    {
        const Signer taxpayer = {m_taxpayer.certificateSubject, m_taxpayer.certificateIssuer, {}};
        const Signer gib = {"CN=Gelir İdaresi Başkanlığı, OU=e-Defter, O=Gelir İdaresi Başkanlığı, L=Ankara, C=TR",
                            "CN=Mali Mühür Elektronik Sertifika Hizmet Sağlayıcısı - Sürüm 2, OU=Kamu Sertifikasyon "
                            "Merkezi, O=TÜBİTAK, L=Gebze - Kocaeli, C=TR",
                            "Tedarikçi"};
        m_signer = m_pki.taxpayer(sealed(taxpayer), o.seed, m_period.created, keyChoice());
        m_gib = m_pki.gib(gib, o.seed, m_period.approved);
        std::string trailer;
        m_docs.endLedger(trailer, {});
        SignatureData reserve = makeSignature(o.seed, "reserve", 0, m_signer, m_period.created);
        signDocument(reserve, std::string(32, '\0'));
        Documents::finish(trailer, kDefter, reserve, nullptr);
        m_trailerReserve =
            trailer.size() + Documents::extensionsOpen().size() + Documents::extensionsClose().size() + 256;
    }

    Outcome run()
    {
        try {
            std::error_code ec;
            fs::create_directories(m_opt.outDir, ec);
            if (ec || !fs::is_directory(m_opt.outDir)) {
                throw GenerationError("Klasör oluşturulamadı: " + pathText(m_opt.outDir));
            }
            produce();
            warnAboutOtherParts();
            writeRoots();
            m_outcome.ok = true;
        } catch (const GenerationError& e) {
            m_outcome.ok = false;
            m_outcome.error = e.what();
            if (!m_tempPath.empty()) {
                std::error_code ignored;
                fs::remove(m_tempPath, ignored);
            }
        }
        return std::move(m_outcome);
    }

private:
    struct Progress
    {
        uint64_t done;
        uint64_t of;
    };

    KeyChoice keyChoice() const
    {
        const bool ec = m_opt.key == Options::Key::Ecdsa || m_opt.key == Options::Key::EcdsaRaw ||
                        (m_opt.key == Options::Key::Mixed && m_opt.month >= 7);
        return {ec ? m_opt.curve : 0, m_opt.key == Options::Key::EcdsaRaw};
    }

    // Company seals with EC keys come from the authority's newer issuing certificate.
    Signer sealed(Signer names) const
    {
        const std::string_view older = "Mali Mühür Elektronik Sertifika Hizmet Sağlayıcısı - Sürüm 2";
        const size_t at = names.issuer.find(older);
        if (keyChoice().curve != 0 && at != std::string::npos) {
            names.issuer[at + older.size() - 1] = '3';
        }
        return names;
    }

    bool sizeMode() const { return m_opt.sizeBytes > 0; }
    uint64_t journalBytes() const { return m_closedBytes + (m_partOpen ? m_sink.bytes() : 0); }

    Progress progress(uint64_t ordinaryDone, uint64_t ordinaryTotal) const
    {
        if (sizeMode()) {
            return {std::min(journalBytes(), m_opt.sizeBytes), m_opt.sizeBytes};
        }
        return ordinaryTotal == 0 ? Progress{1, 1} : Progress{ordinaryDone, ordinaryTotal};
    }

    int dayAt(Progress p) const
    {
        const int days = m_period.end.day;
        return std::min(days, int(1 + p.done * uint64_t(days) / p.of));
    }

    void produce()
    {
        // Entries mode: the month has exactly --entries entries, of which three are payroll and VAT entries
        // when it is big enough, and the POS batches that carry --big-account-lines.
        const bool monthEnd = sizeMode() || m_opt.entries >= 10;
        uint64_t batches = 0;
        uint64_t ordinary = 0;
        const uint64_t fewestBatches = (m_opt.bigAccountLines + kMaxPosLinesPerBatch - 1) / kMaxPosLinesPerBatch;
        if (sizeMode()) {
            batches = (m_opt.bigAccountLines + kPosLinesPerBatch - 1) / kPosLinesPerBatch;
        } else {
            const uint64_t available = m_opt.entries - (monthEnd ? 3 : 0);
            if (m_opt.bigAccountLines > 0) {
                batches = std::clamp<uint64_t>((m_opt.bigAccountLines + kPosLinesPerBatch - 1) / kPosLinesPerBatch, 1,
                                               std::max<uint64_t>(1, available / 2));
            }
            // An entry is held whole in memory before it is written, so batches stay bounded; that may take
            // more entries than were asked for.
            if (batches < fewestBatches) {
                batches = fewestBatches;
                m_outcome.warnings.push_back("--big-account-lines için madde sayısı artırıldı: " +
                                             std::to_string(std::max(available, batches) + (monthEnd ? 3 : 0)) +
                                             " (istenen " + std::to_string(m_opt.entries) + ").");
            }
            ordinary = available > batches ? available - batches : 0;
        }

        uint64_t ordinaryDone = 0;
        uint64_t batchesDone = 0;
        bool salaryPaid = !monthEnd;
        auto batchLines = [&](uint64_t i) {
            return uint32_t(m_opt.bigAccountLines * (i + 1) / batches - m_opt.bigAccountLines * i / batches);
        };
        for (;;) {
            const Progress p = progress(ordinaryDone, ordinary);
            if (!salaryPaid && p.done * 10 >= p.of) {
                emit(EntryKind::SalaryPayment, dayAt(p));
                salaryPaid = true;
                continue;
            }
            if (batchesDone < batches && p.done * batches >= p.of * batchesDone) {
                emit(EntryKind::PosBatch, dayAt(p), batchLines(batchesDone));
                ++batchesDone;
                continue;
            }
            const bool full = sizeMode() ? ordinaryDone > 0 && journalBytes() + kMonthEndReserve >= m_opt.sizeBytes
                                         : ordinaryDone >= ordinary;
            if (full) {
                break;
            }
            // The month opens with a stock purchase, which also guarantees the VAT offset has something to do.
            emit(ordinaryDone == 0 ? EntryKind::Purchase : m_factory.drawOrdinaryKind(), dayAt(p));
            ++ordinaryDone;
        }
        const int lastDay = m_period.end.day;
        for (; batchesDone < batches; ++batchesDone) {
            emit(EntryKind::PosBatch, dayAt(progress(ordinaryDone, ordinary)), batchLines(batchesDone));
        }
        if (!salaryPaid) {
            emit(EntryKind::SalaryPayment, dayAt(progress(ordinaryDone, ordinary)));
        }
        if (monthEnd) {
            emit(EntryKind::SalaryAccrual, lastDay);
            emit(EntryKind::VatOffset, lastDay);
        }
        closePart(true);
    }

    void emit(EntryKind kind, int day, uint32_t posLines = 0)
    {
        m_factory.make(kind, day, m_entry, posLines);
        m_text.clear();
        m_docs.journalEntry(m_text, m_entry);
        std::string attachment;
        if (m_attachmentsLeft > 0 && carriesInvoice(m_entry)) {
            attachment = m_docs.attachment(m_entry);
        }

        // An entry is never split: when it does not fit, the part ends before it.
        const uint64_t reserve = m_trailerReserve + m_extensions.size() + attachment.size();
        if (m_partOpen && m_partEntries > 0 && m_sink.bytes() + m_text.size() + reserve > m_partLimit) {
            closePart(false);
        }
        if (!m_partOpen) {
            openPart();
        }
        if (m_partEntries == 0 && m_sink.bytes() + m_text.size() + reserve > m_partLimit) {
            m_outcome.warnings.push_back("Yevmiye maddesi " + std::to_string(m_entry.counter) +
                                         " tek başına parça sınırını aşıyor; bölünmeden kendi parçasına yazıldı.");
        }

        m_sink.write(m_text);
        ++m_partEntries;
        if (!attachment.empty()) {
            m_extensions += attachment;
            --m_attachmentsLeft;
        }
        for (const Posting& p : m_entry.lines) {
            AccountTotals& t = m_totals[m_chart.accounts()[p.account].main];
            if (p.dc == Dc::Debit) {
                t.debit += p.cents;
                ++t.debitCount;
            } else {
                t.credit += p.cents;
                ++t.creditCount;
            }
        }
        m_postings.insert(m_postings.end(), m_entry.lines.begin(), m_entry.lines.end());
    }

    std::string fileName(std::string_view type, uint32_t part) const
    {
        std::string name = m_taxpayer.id + '-';
        appendNumber(name, uint64_t(m_opt.year), 4);
        appendNumber(name, uint64_t(m_opt.month), 2);
        name += '-';
        name += type;
        name += '-';
        appendNumber(name, part, 6);
        name += ".xml";
        return name;
    }

    void openPart()
    {
        ++m_partIndex;
        m_partOpen = true;
        m_partEntries = 0;
        m_postings.clear();
        m_extensions.clear();
        m_totals.assign(m_chart.mains().size(), {});
        // The part number is known only when the part ends (000000 if it turns out to be the only one).
        std::string tempName = fileName("Y", m_partIndex);
        tempName.insert(tempName.begin(), '.');
        tempName += ".tmp";
        m_tempPath = m_opt.outDir / tempName;
        m_sink.open(m_tempPath);
        std::string head;
        m_docs.beginLedger(head, Book::Journal, m_partIndex);
        writeHead(m_sink, head);
    }

    void closePart(bool last)
    {
        const uint32_t serial = m_partIndex;
        const uint32_t part = last && m_partIndex == 1 ? 0 : m_partIndex;
        SignatureData journalSignature = makeSignature(m_opt.seed, "Y", serial, m_signer, m_period.created);
        std::string tail;
        m_docs.endLedger(tail, m_extensions);
        m_sink.write(tail);
        signDocument(journalSignature, m_sink.digest(kDefter));
        tail.clear();
        Documents::finish(tail, kDefter, journalSignature, nullptr);
        m_sink.writeUnsigned(tail);
        m_sink.close();
        const uint64_t journalSize = m_sink.bytes();
        const std::string journalName = fileName("Y", part);
        std::error_code ec;
        fs::rename(m_tempPath, m_opt.outDir / journalName, ec);
        if (ec) {
            throw GenerationError("Dosya adlandırılamadı: " + journalName + " (" + ec.message() + ")");
        }
        m_tempPath.clear();
        m_partOpen = false;
        m_closedBytes += journalSize;
        m_outcome.files.push_back({journalName, journalSize});

        // Kebir part n is made from journal part n: every part then has a journal, a kebir, their berats and a
        // report that agree with each other and can be checked without the other parts.
        SignatureData ledgerSignature = makeSignature(m_opt.seed, "K", serial, m_signer, m_period.created);
        const uint64_t ledgerSize = writeLedger(fileName("K", part), serial, ledgerSignature);

        Rng guids(streamSeed(m_opt.seed, "guid", serial));
        writeBerat(Book::Journal, part, serial, journalSize, journalSignature.value, guids);
        writeBerat(Book::Ledger, part, serial, ledgerSize, ledgerSignature.value, guids);

        // One report per part, beside the part's kebir and with the same number: it summarises that kebir.
        std::string report;
        m_docs.report(report, serial, m_totals, makeGuid(guids));
        SignatureData reportSignature = makeSignature(m_opt.seed, "DR", serial, m_signer, m_period.created);
        signDocument(reportSignature, DocumentDigest::ofDocument(report, Documents::kBeforeSignature, kReport));
        Documents::finish(report, kReport, reportSignature, nullptr);
        writeSmallFile(fileName("DR", part), report);
    }

    // Files of the same taxpayer and month left by an earlier run (say, more parts) would mix with this set
    // unnoticed; they are the user's, so they are named rather than deleted.
    void warnAboutOtherParts()
    {
        std::string prefix = fileName("Y", 0);
        prefix.resize(prefix.find("-Y-") + 1);
        std::error_code ec;
        for (const fs::directory_entry& entry : fs::directory_iterator(m_opt.outDir, ec)) {
            const std::string name = pathText(entry.path().filename());
            const bool sameMonth = name.rfind(prefix, 0) == 0 || name.rfind("GIB-" + prefix, 0) == 0;
            const bool written = std::any_of(m_outcome.files.begin(), m_outcome.files.end(),
                                             [&](const WrittenFile& f) { return f.name == name; });
            if (sameMonth && !written) {
                m_outcome.warnings.push_back("Klasörde bu setten olmayan eski bir dosya var: " + name);
            }
        }
    }

    uint64_t writeLedger(const std::string& name, uint32_t serial, SignatureData& signature)
    {
        std::stable_sort(m_postings.begin(), m_postings.end(),
                         [](const Posting& a, const Posting& b) { return a.account < b.account; });
        const fs::path path = m_opt.outDir / name;
        FileSink sink;
        sink.open(path);
        std::string chunk;
        m_docs.beginLedger(chunk, Book::Ledger, serial);
        writeHead(sink, chunk);
        chunk.clear();
        for (auto first = m_postings.begin(); first != m_postings.end();) {
            auto last =
                std::find_if(first, m_postings.end(), [&](const Posting& p) { return p.account != first->account; });
            m_docs.ledgerBlockStart(chunk, &*first, &*first + (last - first));
            for (; first != last; ++first) {
                m_docs.ledgerLine(chunk, *first);
                if (chunk.size() >= (1u << 20)) {
                    sink.write(chunk);
                    chunk.clear();
                }
            }
            m_docs.ledgerBlockEnd(chunk);
        }
        m_docs.endLedger(chunk, {});
        sink.write(chunk);
        signDocument(signature, sink.digest(kDefter));
        chunk.clear();
        Documents::finish(chunk, kDefter, signature, nullptr);
        sink.writeUnsigned(chunk);
        sink.close();
        m_outcome.files.push_back({name, sink.bytes()});
        return sink.bytes();
    }

    void writeBerat(Book book, uint32_t part, uint32_t serial, uint64_t ledgerBytes, const std::string& ledgerValue,
                    Rng& guids)
    {
        const std::string type = book == Book::Journal ? "YB" : "KB";
        BeratInput input;
        input.book = book;
        input.serial = serial;
        input.ledgerBytes = ledgerBytes;
        input.ledgerSignatureValue = ledgerValue;
        input.entries = m_partEntries;
        input.totals = &m_totals;
        input.guid = makeGuid(guids);
        SignatureData signature = makeSignature(m_opt.seed, type, serial, m_signer, m_period.created);
        SignatureData approval = makeSignature(m_opt.seed, "GIB-" + type, serial, m_gib, m_period.approved);
        std::string text;
        m_docs.berat(text, input, false);
        // The XML declaration differs in GİB's copy, but canonical form drops it: one digest serves both.
        signDocument(signature, DocumentDigest::ofDocument(text, Documents::kBeforeSignature, kBerat));
        counterSign(approval, signature);
        Documents::finish(text, kBerat, signature, nullptr);
        writeSmallFile(fileName(type, part), text);
        text.clear();
        m_docs.berat(text, input, true);
        Documents::finish(text, kBerat, signature, &approval);
        writeSmallFile("GIB-" + fileName(type, part), text);
    }

    // The head goes to the digest in canonical form; the rest as written.
    static void writeHead(FileSink& sink, std::string_view head)
    {
        const size_t end = Documents::headLength(head);
        sink.writeHead(head.substr(0, end));
        sink.write(head.substr(end));
    }

    // The test roots that issued this set's certificates, for a verifier's root folder.
    void writeRoots()
    {
        if (m_opt.rootsDir.empty()) {
            return;
        }
        std::error_code ec;
        fs::create_directories(m_opt.rootsDir, ec);
        for (const Identity* signer : {&m_signer, &m_gib}) {
            static constexpr char hex[] = "0123456789abcdef";
            std::string name = "test-kok-";
            const std::string digest = Pki::sha256(signer->names.issuer);
            for (int i = 0; i < 4; ++i) {
                name += hex[uint8_t(digest[size_t(i)]) >> 4];
                name += hex[uint8_t(digest[size_t(i)]) & 15];
            }
            FileSink sink;
            sink.open(m_opt.rootsDir / (name + ".pem"));
            sink.writeUnsigned(m_pki.rootPem(signer->names.issuer));
            sink.close();
        }
    }

    void writeSmallFile(const std::string& name, const std::string& content)
    {
        FileSink sink;
        sink.open(m_opt.outDir / name);
        sink.writeUnsigned(content);
        sink.close();
        m_outcome.files.push_back({name, sink.bytes()});
    }

    const Options& m_opt;
    Period m_period;
    Taxpayer m_taxpayer;
    Chart m_chart;
    Documents m_docs;
    EntryFactory m_factory;
    Pki m_pki;
    Identity m_signer;
    Identity m_gib;
    uint64_t m_partLimit;
    uint64_t m_attachmentsLeft;
    uint64_t m_trailerReserve = 0;

    bool m_partOpen = false;
    uint32_t m_partIndex = 0;
    uint32_t m_partEntries = 0;
    FileSink m_sink;
    fs::path m_tempPath;
    uint64_t m_closedBytes = 0;
    std::vector<Posting> m_postings;
    std::vector<AccountTotals> m_totals;
    std::string m_extensions;

    Entry m_entry;
    std::string m_text;
    Outcome m_outcome;
};

} // namespace

Outcome generateMonth(const Options& options)
{
    try {
        return MonthGenerator(options).run();
    } catch (const std::exception& e) { // the test keys: a broken build
        Outcome failed;
        failed.error = e.what();
        return failed;
    }
}

} // namespace ledgergen
