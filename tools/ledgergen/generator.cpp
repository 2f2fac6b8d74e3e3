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
#include <map>
#include <optional>
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

// The five accounts whose totals a berat repeats; faults meant for one check stay off them.
bool isTaxAccount(const MainAccount& main)
{
    return main.id == "191" || main.id == "391" || main.id == "600" || main.id == "601" || main.id == "602";
}

std::string sideText(Dc dc)
{
    return dc == Dc::Debit ? "borç" : "alacak";
}

// The serials and numbers that tie a fiscal year's files together, handed on from month to month.
struct Continuity
{
    int year = 0;               // the fiscal year the serials belong to; 0 before the first month
    uint32_t journalSerial = 0; // the last used
    uint32_t ledgerSerial = 0;
    uint32_t reportSerial = 0;
    uint32_t nextCounter = 1;
    uint32_t nextLine = 1;
};

// The keys and certificates of one run: a taxpayer keeps the same seal all year (a second one from July with
// --key mixed), so certificates are issued once and shared by every month.
class Signers
{
public:
    explicit Signers(uint64_t seed) : m_seed(seed) {}

    const Identity& taxpayer(const Signer& names, KeyChoice key, Date from)
    {
        auto found = m_taxpayer.find(key.curve);
        if (found == m_taxpayer.end()) {
            found = m_taxpayer.emplace(key.curve, m_pki.taxpayer(names, m_seed, from, key)).first;
        }
        return found->second;
    }

    const Identity& gib(Date from)
    {
        if (!m_gib) {
            const Signer names = {
                "CN=Gelir İdaresi Başkanlığı, OU=e-Defter, O=Gelir İdaresi Başkanlığı, L=Ankara, C=TR",
                "CN=Mali Mühür Elektronik Sertifika Hizmet Sağlayıcısı - Sürüm 2, OU=Kamu Sertifikasyon "
                "Merkezi, O=TÜBİTAK, L=Gebze - Kocaeli, C=TR",
                "Tedarikçi"};
            m_gib = m_pki.gib(names, m_seed, from);
        }
        return *m_gib;
    }

    // The test roots that issued the certificates used, for a verifier's root folder.
    std::vector<std::pair<std::string, std::string>> roots() const
    {
        std::vector<std::pair<std::string, std::string>> found; // issuer, PEM
        auto add = [&](const Identity& id) {
            found.emplace_back(id.names.issuer, m_pki.rootPem(id.names.issuer));
        };
        for (const auto& entry : m_taxpayer) {
            add(entry.second);
        }
        if (m_gib) {
            add(*m_gib);
        }
        return found;
    }

private:
    uint64_t m_seed;
    Pki m_pki;
    std::map<int, Identity> m_taxpayer; // by curve, 0 for RSA
    std::optional<Identity> m_gib;
};

// What a month is made with besides its options.
struct MonthContext
{
    uint64_t chartSeed; // the taxpayer's accounts stay the same all year
    Signers& signers;
    Continuity& carry;
    std::vector<FaultKind> faults;
    Outcome& outcome;
};

class MonthGenerator
{
public:
    MonthGenerator(const Options& o, MonthContext& context)
        : m_opt(o), m_ctx(context), m_carry(context.carry), m_out(context.outcome), m_period(makePeriod(o)),
          m_taxpayer(makeTaxpayer(o.person, o.branch, o.year)),
          m_chart(context.chartSeed, customerCount(o), supplierCount(o)), m_docs(m_taxpayer, m_chart, m_period),
          m_factory(m_chart, m_taxpayer, m_period.start, o.seed, m_carry.nextCounter, m_carry.nextLine),
          m_firstCounter(m_carry.nextCounter), m_partLimit(o.partBytes > 0 ? o.partBytes : kMaxPartBytes),
          m_attachmentsLeft(o.attachments), m_faultRng(streamSeed(o.seed, "fault"))
    {
        const Signer taxpayer = {m_taxpayer.certificateSubject, m_taxpayer.certificateIssuer, {}};
        m_signer = &context.signers.taxpayer(sealed(taxpayer), keyChoice(), m_period.created);
        m_gib = &context.signers.gib(m_period.approved);
        std::string trailer;
        m_docs.endLedger(trailer, {});
        SignatureData reserve = makeSignature(o.seed, "reserve", 0, *m_signer, m_period.created);
        signDocument(reserve, std::string(32, '\0'));
        Documents::finish(trailer, kDefter, reserve, nullptr);
        m_trailerReserve =
            trailer.size() + Documents::extensionsOpen().size() + Documents::extensionsClose().size() + 256;
        m_monthTotals.assign(m_chart.mains().size(), {});
        // Entry faults go early in the month, where even a small month has entries.
        const uint64_t within = std::clamp<uint64_t>(expectedEntries(o) / 2, 1, 40);
        m_unbalancedAt = m_faultRng.below(within);
        m_misdatedAt = (m_unbalancedAt + 1) % within;
    }

    void run()
    {
        try {
            produce();
            for (FaultKind kind : m_ctx.faults) {
                if (!planted(kind)) {
                    throw GenerationError("--fault " + faultNames()[size_t(kind)] + " eklenemedi" +
                                          (kind == FaultKind::MissingPart
                                               ? ": ay parçalara bölünmedi; daha küçük bir --part-size verin."
                                               : "."));
                }
            }
            m_carry.nextCounter = m_factory.nextCounter();
            m_carry.nextLine = m_factory.nextLineNumber();
            warnAboutOtherParts();
        } catch (const GenerationError&) {
            if (!m_tempPath.empty()) {
                std::error_code ignored;
                fs::remove(m_tempPath, ignored);
            }
            throw;
        }
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
                m_out.warnings.push_back("--big-account-lines için madde sayısı artırıldı: " +
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
        // The journal shows the changed entry; the kebir and the report keep the entry as it was.
        std::vector<std::pair<FaultKind, std::string>> notes;
        Entry changed;
        const Entry* shown = &m_entry;
        if (wanted(FaultKind::EntryDate) && m_entryIndex >= m_misdatedAt) {
            changed = m_entry;
            notes.emplace_back(FaultKind::EntryDate, misdate(changed));
            shown = &changed;
        }
        if (wanted(FaultKind::UnbalancedEntry) && m_entryIndex >= m_unbalancedAt) {
            Entry unbalanced;
            if (std::string place = unbalance(*shown, unbalanced); !place.empty()) {
                notes.emplace_back(FaultKind::UnbalancedEntry, std::move(place));
                changed = std::move(unbalanced);
                shown = &changed;
            }
        }
        ++m_entryIndex;
        m_text.clear();
        m_docs.journalEntry(m_text, *shown);
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
            m_out.warnings.push_back("Yevmiye maddesi " + std::to_string(m_entry.counter) +
                                     " tek başına parça sınırını aşıyor; bölünmeden kendi parçasına yazıldı.");
        }

        m_sink.write(m_text);
        if (m_partEntries++ == 0) {
            m_partFirstCounter = m_entry.counter;
        }
        m_partLastCounter = m_entry.counter;
        m_partNotes.insert(m_partNotes.end(), notes.begin(), notes.end());
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

    // The entry and its lines dated the day after the month ends.
    std::string misdate(Entry& e)
    {
        e.day = m_period.end.day + 1;
        for (Posting& p : e.lines) {
            p.day = uint8_t(e.day);
        }
        markPlanted(FaultKind::EntryDate);
        return "madde " + std::to_string(e.counter) + ": tarih " + isoDate(addDays(m_period.end, 1)) +
               ", dönem dışında";
    }

    // A copy of the entry with one line 1.00 larger, its header totals following its lines. A tax account's line
    // is left alone, so that the berats still agree with the journal; "" when the entry has no other line.
    std::string unbalance(const Entry& e, Entry& changed)
    {
        for (size_t i = 0; i < e.lines.size(); ++i) {
            const Posting& p = e.lines[i];
            const MainAccount& main = m_chart.mainOf(p.account);
            if (isTaxAccount(main)) {
                continue;
            }
            changed = e;
            changed.lines[i].cents += 100;
            markPlanted(FaultKind::UnbalancedEntry);
            return "madde " + std::to_string(e.counter) + ", satır " + std::to_string(p.lineNumber) + ", hesap " +
                   main.id + " " + sideText(p.dc) + ": " + amountText(p.cents) + " yerine " + amountText(p.cents + 100);
        }
        return {};
    }

    bool planted(FaultKind kind) const
    {
        return std::find(m_planted.begin(), m_planted.end(), kind) != m_planted.end();
    }

    // Asked for in this month and not planted yet.
    bool wanted(FaultKind kind) const
    {
        return !planted(kind) && std::find(m_ctx.faults.begin(), m_ctx.faults.end(), kind) != m_ctx.faults.end();
    }

    void markPlanted(FaultKind kind) { m_planted.push_back(kind); }

    void report(FaultKind kind, const std::string& file, const std::string& place)
    {
        m_out.planted.push_back("Hata eklendi: " + faultNames()[size_t(kind)] + " · " + file + " · " + place);
    }

    void plant(FaultKind kind, const std::string& file, const std::string& place)
    {
        markPlanted(kind);
        report(kind, file, place);
    }

    // A file a fault leaves out must not be stood in for by one of an earlier run.
    void leaveOut(const std::string& name)
    {
        std::error_code ignored;
        fs::remove(m_opt.outDir / name, ignored);
    }

    std::string uniqueId(std::string_view prefix, uint32_t serial) const
    {
        std::string id(prefix);
        appendNumber(id, uint64_t(m_opt.year), 4);
        appendNumber(id, uint64_t(m_opt.month), 2);
        appendNumber(id, serial, 6);
        return id;
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
        m_journalSerial = ++m_carry.journalSerial;
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
        m_docs.beginLedger(head, Book::Journal, m_journalSerial);
        writeHead(m_sink, head);
    }

    void closePart(bool last)
    {
        const uint32_t part = last && m_partIndex == 1 ? 0 : m_partIndex;
        SignatureData journalSignature = makeSignature(m_opt.seed, "Y", m_journalSerial, *m_signer, m_period.created);
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
        placeJournal(journalName, journalSize);
        noteJournal(journalName);

        // Kebir part n is made from journal part n: every part then has a journal, a kebir and their berats that
        // agree with each other and can be checked without the other parts.
        const uint32_t ledgerSerial = ++m_carry.ledgerSerial;
        SignatureData ledgerSignature = makeSignature(m_opt.seed, "K", ledgerSerial, *m_signer, m_period.created);
        const uint64_t ledgerSize = writeLedger(fileName("K", part), ledgerSerial, ledgerSignature);

        Rng guids(streamSeed(m_opt.seed, "guid", m_journalSerial));
        writeBerat(Book::Journal, part, m_journalSerial, journalSize, journalSignature.value, guids);
        writeBerat(Book::Ledger, part, ledgerSerial, ledgerSize, ledgerSignature.value, guids);
        for (size_t i = 0; i < m_totals.size(); ++i) {
            AccountTotals& month = m_monthTotals[i];
            month.debit += m_totals[i].debit;
            month.credit += m_totals[i].credit;
            month.debitCount += m_totals[i].debitCount;
            month.creditCount += m_totals[i].creditCount;
        }
        // One report per month whatever the number of parts, and only since the report was introduced (2019).
        if (last && m_opt.year >= 2019) {
            writeReport(makeGuid(guids));
        }
    }

    // Renames the finished part into place, or with missing-part leaves part 000002 out.
    void placeJournal(const std::string& name, uint64_t size)
    {
        std::error_code ec;
        if (m_partIndex == 2 && wanted(FaultKind::MissingPart)) {
            leaveOut(name);
            fs::remove(m_tempPath, ec);
            // An entry fault in the part left out would be no fault at all: it goes to a later entry instead.
            for (const auto& note : m_partNotes) {
                m_planted.erase(std::find(m_planted.begin(), m_planted.end(), note.first));
            }
            m_partNotes.clear();
            plant(FaultKind::MissingPart, name,
                  "parça 000002 yazılmadı (madde " + std::to_string(m_partFirstCounter) + "–" +
                      std::to_string(m_partLastCounter) + ")");
        } else {
            fs::rename(m_tempPath, m_opt.outDir / name, ec);
            if (ec) {
                throw GenerationError("Dosya adlandırılamadı: " + name + " (" + ec.message() + ")");
            }
            m_out.files.push_back({name, size});
        }
        m_tempPath.clear();
        m_partOpen = false;
        m_closedBytes += size;
    }

    // The faults planted in the journal part just written, now that its name is known.
    void noteJournal(const std::string& name)
    {
        for (const auto& [kind, place] : m_partNotes) {
            report(kind, name, place);
        }
        m_partNotes.clear();
        if (m_partIndex != 1) {
            return;
        }
        if (wanted(FaultKind::SerialGap)) {
            plant(FaultKind::SerialGap, name,
                  "seri " + uniqueId("YEV", m_journalSerial) + ", " + uniqueId("YEV", m_journalSerial - 1) +
                      " atlandı");
        }
        if (wanted(FaultKind::NumberOverlap)) {
            plant(FaultKind::NumberOverlap, name,
                  "madde " + std::to_string(m_firstCounter) + ", önceki ayın son madde numarası yineleniyor");
        }
    }

    void writeReport(std::string_view guid)
    {
        const uint32_t serial = ++m_carry.reportSerial;
        const std::string name = fileName("DR", 0);
        std::vector<AccountTotals> totals = m_monthTotals;
        misreport(totals, name);
        std::string report;
        m_docs.report(report, serial, totals, guid);
        SignatureData signature = makeSignature(m_opt.seed, "DR", serial, *m_signer, m_period.created);
        signDocument(signature, DocumentDigest::ofDocument(report, Documents::kBeforeSignature, kReport));
        Documents::finish(report, kReport, signature, nullptr);
        writeSmallFile(name, report);
    }

    // dr-amount and dr-count: one line of the report off by 1.00 or by one line, on accounts other than the
    // tax accounts (which the berats repeat), each on an account of its own.
    void misreport(std::vector<AccountTotals>& totals, const std::string& name)
    {
        std::vector<size_t> moved;
        for (size_t i = 0; i < totals.size(); ++i) {
            if (totals[i].debitCount + totals[i].creditCount > 0 && !isTaxAccount(m_chart.mains()[i])) {
                moved.push_back(i);
            }
        }
        for (FaultKind kind : {FaultKind::DrAmount, FaultKind::DrCount}) {
            if (!wanted(kind) || moved.empty()) {
                continue;
            }
            const size_t pick = size_t(m_faultRng.below(moved.size()));
            AccountTotals& t = totals[moved[pick]];
            const bool debit = t.debitCount > 0;
            std::string place =
                "hesap " + m_chart.mains()[moved[pick]].id + " " + sideText(debit ? Dc::Debit : Dc::Credit);
            if (kind == FaultKind::DrAmount) {
                int64_t& amount = debit ? t.debit : t.credit;
                place += ": tutar " + amountText(amount + 100) + ", doğrusu " + amountText(amount);
                amount += 100;
            } else {
                uint32_t& count = debit ? t.debitCount : t.creditCount;
                place += ": satır sayısı " + std::to_string(count + 1) + ", doğrusu " + std::to_string(count);
                ++count;
            }
            plant(kind, name, place);
            moved.erase(moved.begin() + std::ptrdiff_t(pick));
        }
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
            const bool written = std::any_of(m_out.files.begin(), m_out.files.end(),
                                             [&](const WrittenFile& f) { return f.name == name; });
            if (sameMonth && !written) {
                m_out.warnings.push_back("Klasörde bu setten olmayan eski bir dosya var: " + name);
            }
        }
    }

    uint64_t writeLedger(const std::string& name, uint32_t serial, SignatureData& signature)
    {
        std::stable_sort(m_postings.begin(), m_postings.end(),
                         [](const Posting& a, const Posting& b) { return a.account < b.account; });
        if (m_partIndex == 1 && wanted(FaultKind::KebirLineMissing)) {
            dropLedgerLine(name);
        }
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
        m_out.files.push_back({name, sink.bytes()});
        return sink.bytes();
    }

    // kebir-line-missing: one line of an account block of several lines, not a tax account's, is left out; the
    // block's header totals are those of the lines that remain.
    void dropLedgerLine(const std::string& name)
    {
        std::vector<size_t> candidates;
        for (size_t i = 0; i < m_postings.size(); ++i) {
            const uint16_t account = m_postings[i].account;
            const bool shared = (i > 0 && m_postings[i - 1].account == account) ||
                                (i + 1 < m_postings.size() && m_postings[i + 1].account == account);
            if (shared && !isTaxAccount(m_chart.mainOf(account))) {
                candidates.push_back(i);
            }
        }
        if (candidates.empty()) {
            return;
        }
        const size_t at = candidates[size_t(m_faultRng.below(candidates.size()))];
        const Posting& p = m_postings[at];
        const PostingAccount& account = m_chart.accounts()[p.account];
        plant(FaultKind::KebirLineMissing, name,
              "satır " + std::to_string(p.lineNumber) + " (madde " + std::to_string(p.counter) + ", hesap " +
                  (account.subId.empty() ? m_chart.mainOf(p.account).id : account.subId) + " " + sideText(p.dc) + ", " +
                  amountText(p.cents) + ") yazılmadı");
        m_postings.erase(m_postings.begin() + std::ptrdiff_t(at));
    }

    void writeBerat(Book book, uint32_t part, uint32_t serial, uint64_t ledgerBytes, const std::string& ledgerValue,
                    Rng& guids)
    {
        const std::string type = book == Book::Journal ? "YB" : "KB";
        const std::string name = fileName(type, part);
        BeratInput input;
        input.book = book;
        input.serial = serial;
        input.ledgerBytes = ledgerBytes;
        input.ledgerSignatureValue = ledgerValue;
        input.entries = m_partEntries;
        input.totals = &m_totals;
        input.guid = makeGuid(guids);
        std::vector<AccountTotals> changedTotals;
        const bool faultPart = book == Book::Journal && m_partIndex == 1;
        if (faultPart) {
            misstate(input, changedTotals, name);
        }
        SignatureData signature = makeSignature(m_opt.seed, type, serial, *m_signer, m_period.created);
        SignatureData approval = makeSignature(m_opt.seed, "GIB-" + type, serial, *m_gib, m_period.approved);
        std::string text;
        m_docs.berat(text, input, false);
        // The XML declaration differs in GİB's copy, but canonical form drops it: one digest serves both.
        signDocument(signature, DocumentDigest::ofDocument(text, Documents::kBeforeSignature, kBerat));
        counterSign(approval, signature);
        Documents::finish(text, kBerat, signature, nullptr);
        if (faultPart && wanted(FaultKind::MissingBerat)) {
            leaveOut(name);
            plant(FaultKind::MissingBerat, name,
                  "parça " + name.substr(name.size() - 10, 6) + " yazılmadı (GİB onaylı kopyası yazıldı)");
        } else {
            writeSmallFile(name, text);
        }
        text.clear();
        m_docs.berat(text, input, true);
        Documents::finish(text, kBerat, signature, &approval);
        writeSmallFile("GIB-" + name, text);
    }

    // The berat faults, each in the taxpayer's journal berat and its GİB copy alike.
    void misstate(BeratInput& input, std::vector<AccountTotals>& changedTotals, const std::string& name)
    {
        const std::string both = " (GİB kopyasında da)";
        if (wanted(FaultKind::BeratEntryCount)) {
            ++input.entries;
            plant(FaultKind::BeratEntryCount, name,
                  "yevmiye maddesi sayısı " + std::to_string(input.entries) + ", doğrusu " +
                      std::to_string(input.entries - 1) + both);
        }
        if (wanted(FaultKind::BeratSize)) {
            auto megabytes = [](uint64_t bytes) {
                return amountText(int64_t((bytes * 100 + kMiB / 2) / kMiB));
            };
            const uint64_t right = input.ledgerBytes;
            input.ledgerBytes += kMiB / 2;
            plant(FaultKind::BeratSize, name,
                  "defter boyutu " + megabytes(input.ledgerBytes) + " MB, doğrusu " + megabytes(right) + " MB" + both);
        }
        if (wanted(FaultKind::TaxLine)) {
            changedTotals = m_totals;
            input.totals = &changedTotals;
            // Output VAT on the credit side moves in almost every month; the first account that moved otherwise.
            int main = m_chart.mainIndex("391");
            bool debit = false;
            for (const char* id : {"391", "191", "600", "601", "602"}) {
                const AccountTotals& t = changedTotals[size_t(m_chart.mainIndex(id))];
                if (t.debit + t.credit > 0) {
                    main = m_chart.mainIndex(id);
                    debit = t.credit == 0;
                    break;
                }
            }
            int64_t& amount = debit ? changedTotals[size_t(main)].debit : changedTotals[size_t(main)].credit;
            plant(FaultKind::TaxLine, name,
                  "vergi satırı " + m_chart.mains()[size_t(main)].id + " " + sideText(debit ? Dc::Debit : Dc::Credit) +
                      ": " + amountText(amount + 100) + ", doğrusu " + amountText(amount) + both);
            amount += 100;
        }
    }

    // The head goes to the digest in canonical form; the rest as written.
    static void writeHead(FileSink& sink, std::string_view head)
    {
        const size_t end = Documents::headLength(head);
        sink.writeHead(head.substr(0, end));
        sink.write(head.substr(end));
    }

    void writeSmallFile(const std::string& name, const std::string& content)
    {
        FileSink sink;
        sink.open(m_opt.outDir / name);
        sink.writeUnsigned(content);
        sink.close();
        m_out.files.push_back({name, sink.bytes()});
    }

    const Options m_opt;
    const MonthContext& m_ctx;
    Continuity& m_carry;
    Outcome& m_out;
    Period m_period;
    Taxpayer m_taxpayer;
    Chart m_chart;
    Documents m_docs;
    EntryFactory m_factory;
    const uint32_t m_firstCounter;
    const Identity* m_signer = nullptr;
    const Identity* m_gib = nullptr;
    uint64_t m_partLimit;
    uint64_t m_attachmentsLeft;
    uint64_t m_trailerReserve = 0;

    bool m_partOpen = false;
    uint32_t m_partIndex = 0;
    uint32_t m_journalSerial = 0;
    uint32_t m_partEntries = 0;
    uint32_t m_partFirstCounter = 0;
    uint32_t m_partLastCounter = 0;
    FileSink m_sink;
    fs::path m_tempPath;
    uint64_t m_closedBytes = 0;
    std::vector<Posting> m_postings;
    std::vector<AccountTotals> m_totals;
    std::vector<AccountTotals> m_monthTotals;
    std::string m_extensions;

    Entry m_entry;
    std::string m_text;
    uint64_t m_entryIndex = 0;

    Rng m_faultRng;
    uint64_t m_unbalancedAt = 0;
    uint64_t m_misdatedAt = 0;
    std::vector<FaultKind> m_planted;
    std::vector<std::pair<FaultKind, std::string>> m_partNotes; // planted in the open journal part
};

// Serials and numbers restart with each fiscal year; the range's first month estimates where its year stands.
// The carried faults shift them from their month on.
void startMonth(const Options& month, MonthContext& context)
{
    Continuity& carry = context.carry;
    if (carry.year != month.year) {
        const bool first = carry.year == 0;
        carry = Continuity{};
        carry.year = month.year;
        if (first) {
            carry.nextCounter = firstCounter(month);
            carry.nextLine = firstLineNumber(month, carry.nextCounter);
        }
    }
    for (FaultKind kind : context.faults) {
        if (kind == FaultKind::SerialGap) {
            ++carry.journalSerial;
        } else if (kind == FaultKind::NumberOverlap) {
            --carry.nextCounter;
        }
    }
}

void writeRoots(const fs::path& dir, const Signers& signers)
{
    if (dir.empty()) {
        return;
    }
    std::error_code ec;
    fs::create_directories(dir, ec);
    for (const auto& [issuer, pem] : signers.roots()) {
        static constexpr char hex[] = "0123456789abcdef";
        std::string name = "test-kok-";
        const std::string digest = Pki::sha256(issuer);
        for (int i = 0; i < 4; ++i) {
            name += hex[uint8_t(digest[size_t(i)]) >> 4];
            name += hex[uint8_t(digest[size_t(i)]) & 15];
        }
        FileSink sink;
        sink.open(dir / (name + ".pem"));
        sink.writeUnsigned(pem);
        sink.close();
    }
}

std::vector<FaultKind> faultsIn(const Options& options, const Options& month)
{
    std::vector<FaultKind> kinds;
    for (const Fault& f : options.faults) {
        if (f.year == month.year && f.month == month.month) {
            kinds.push_back(f.kind);
        }
    }
    return kinds;
}

} // namespace

Outcome generateMonths(const Options& options)
{
    Outcome outcome;
    try {
        std::error_code ec;
        fs::create_directories(options.outDir, ec);
        if (ec || !fs::is_directory(options.outDir)) {
            throw GenerationError("Klasör oluşturulamadı: " + pathText(options.outDir));
        }
        Signers signers(options.seed);
        Continuity carry;
        const int first = options.year * 12 + options.month - 1;
        const int last = options.lastYear * 12 + options.lastMonth - 1;
        // One month at a time, so that memory stays that of one month however long the range.
        for (int at = first; at <= last; ++at) {
            Options month = options;
            month.year = at / 12;
            month.month = at % 12 + 1;
            month.seed = at == first ? options.seed : streamSeed(options.seed, "month", uint64_t(at - first));
            MonthContext context{options.seed, signers, carry, faultsIn(options, month), outcome};
            startMonth(month, context);
            MonthGenerator(month, context).run();
        }
        writeRoots(options.rootsDir, signers);
        outcome.ok = true;
    } catch (const std::exception& e) { // a GenerationError, or the test keys: a broken build
        outcome.ok = false;
        outcome.error = e.what();
    }
    return outcome;
}

} // namespace ledgergen
