#include "ledger/ledgerreader.h"

#include "common/xmlhandles.h"

#include <QFile>
#include <QFileInfo>

#include <libxml/parser.h>
#include <libxml/xmlreader.h>

#include <cstring>
#include <mutex>
#include <unordered_map>

namespace ledger {

namespace {

constexpr const char* kCorNs = "http://www.xbrl.org/int/gl/cor/2006-10-25";
constexpr const char* kBusNs = "http://www.xbrl.org/int/gl/bus/2006-10-25";
constexpr const char* kDsNs = "http://www.w3.org/2000/09/xmldsig#";

enum class Name
{
    Other,
    Skip, // subtrees with nothing to export (attachments, signatures), possibly huge
    EntriesType,
    EntryHeader,
    EntryDetail,
    HeaderField,
    LineField,
};

struct NameInfo
{
    Name name = Name::Other;
    std::string HeaderFields::*header = nullptr;
    std::string LineFields::*line = nullptr;
};

NameInfo classify(const char* local, const char* ns)
{
    const auto is = [&](const char* a, const char* b) {
        return std::strcmp(a, b) == 0;
    };
    if (is(local, "extensions")) {
        return {Name::Skip};
    }
    if (!ns) {
        return {};
    }
    if (is(ns, common::kEdefterNamespace)) {
        return {}; // the root element is looked at by itself
    }
    if (is(ns, kDsNs)) {
        return {Name::Skip};
    }
    if (is(ns, kBusNs)) {
        if (is(local, "totalDebit")) {
            return {Name::HeaderField, &HeaderFields::totalDebit};
        }
        if (is(local, "totalCredit")) {
            return {Name::HeaderField, &HeaderFields::totalCredit};
        }
        return {};
    }
    if (!is(ns, kCorNs)) {
        return {};
    }
    static const std::pair<const char*, NameInfo> names[] = {
        {"entriesType", {Name::EntriesType}},
        {"entryHeader", {Name::EntryHeader}},
        {"entryDetail", {Name::EntryDetail}},
        {"enteredDate", {Name::HeaderField, &HeaderFields::enteredDate}},
        {"entryNumber", {Name::HeaderField, &HeaderFields::entryNumber}},
        {"entryNumberCounter", {Name::HeaderField, &HeaderFields::entryNumberCounter}},
        {"lineNumber", {Name::LineField, nullptr, &LineFields::lineNumber}},
        {"lineNumberCounter", {Name::LineField, nullptr, &LineFields::lineNumberCounter}},
        {"accountMainID", {Name::LineField, nullptr, &LineFields::accountMainID}},
        {"accountMainDescription", {Name::LineField, nullptr, &LineFields::accountMainDescription}},
        {"accountSubID", {Name::LineField, nullptr, &LineFields::accountSubID}},
        {"accountSubDescription", {Name::LineField, nullptr, &LineFields::accountSubDescription}},
        {"amount", {Name::LineField, nullptr, &LineFields::amount}},
        {"debitCreditCode", {Name::LineField, nullptr, &LineFields::debitCreditCode}},
        {"postingDate", {Name::LineField, nullptr, &LineFields::postingDate}},
        {"documentType", {Name::LineField, nullptr, &LineFields::documentType}},
        {"documentTypeDescription", {Name::LineField, nullptr, &LineFields::documentTypeDescription}},
        {"documentNumber", {Name::LineField, nullptr, &LineFields::documentNumber}},
        {"documentDate", {Name::LineField, nullptr, &LineFields::documentDate}},
        {"documentReference", {Name::LineField, nullptr, &LineFields::documentReference}},
        {"detailComment", {Name::LineField, nullptr, &LineFields::detailComment}},
        {"documentApplyToNumber", {Name::LineField, nullptr, &LineFields::documentApplyToNumber}},
    };
    for (const auto& [text, info] : names) {
        if (is(local, text)) {
            return info;
        }
    }
    return {};
}

void trim(std::string& s)
{
    const auto space = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r';
    };
    size_t end = s.size();
    while (end > 0 && space(s[end - 1])) {
        --end;
    }
    size_t begin = 0;
    while (begin < end && space(s[begin])) {
        ++begin;
    }
    if (begin > 0 || end < s.size()) {
        s = s.substr(begin, end - begin);
    }
}

int readCallback(void* context, char* buffer, int length);
int closeCallback(void*)
{
    return 0;
}
void errorCallback(void* context, xmlErrorPtr error);

} // namespace

struct LedgerReader::Impl
{
    QFile file;
    QString name; // the file's name, for messages
    qint64 total = 0;
    qint64 done = 0;
    qint64 reported = -1;
    Progress progress; // a copy: callers may hand a temporary
    const std::atomic_bool* cancel = nullptr;
    xmlDocPtr tree = nullptr;     // walked instead of the file when set; not ours
    common::XmlTextReader reader; // after file: freed first
    bool readFailed = false;
    QString parseError;
    int parseErrorLine = 0;

    // The reader interns names in its dictionary, so a name's pointer identifies it; classify()
    // runs once per distinct (name, namespace) pair.
    struct PairHash
    {
        size_t operator()(const std::pair<const void*, const void*>& p) const
        {
            return std::hash<const void*>()(p.first) * 31 + std::hash<const void*>()(p.second);
        }
    };
    std::unordered_map<std::pair<const void*, const void*>, NameInfo, PairHash> names;

    bool rootSeen = false;
    QString rootName;
    bool inHeader = false;
    bool inDetail = false;
    bool inEntriesType = false;
    bool kindAnnounced = false;
    std::string entriesType;
    std::string* target = nullptr;
    int targetDepth = -1;
    bool started = false;
    bool finished = false;
    long detailLine = 0;
    unsigned nodes = 0;

    void report()
    {
        // About every half per cent, so that a GUI gets a few hundred updates at most.
        if (!progress) {
            return;
        }
        const qint64 step = std::max<qint64>(total / 200, 256 * 1024);
        if (reported < 0 || done - reported >= step || done == total) {
            reported = done;
            progress(done, total);
        }
    }

    bool cancelRequested() { return cancel && (++nodes & 1023) == 0 && cancel->load(std::memory_order_relaxed); }

    NameInfo nameOfNode()
    {
        const xmlChar* local = xmlTextReaderConstLocalName(reader.get());
        const xmlChar* ns = xmlTextReaderConstNamespaceUri(reader.get());
        auto found = names.find({local, ns});
        if (found == names.end()) {
            found = names
                        .emplace(std::pair<const void*, const void*>(local, ns),
                                 classify(reinterpret_cast<const char*>(local), reinterpret_cast<const char*>(ns)))
                        .first;
        }
        return found->second;
    }

    // Text goes to the field being read, or to entriesType while the kind is still open.
    void collectText()
    {
        if (target) {
            if (inDetail && detailLine == 0) {
                detailLine = xmlGetLineNo(xmlTextReaderCurrentNode(reader.get()));
            }
            if (const xmlChar* value = xmlTextReaderConstValue(reader.get())) {
                target->append(reinterpret_cast<const char*>(value));
            }
        } else if (inEntriesType) {
            if (const xmlChar* value = xmlTextReaderConstValue(reader.get())) {
                entriesType.append(reinterpret_cast<const char*>(value));
            }
        }
    }
};

namespace {

int readCallback(void* context, char* buffer, int length)
{
    auto* impl = static_cast<LedgerReader::Impl*>(context);
    const qint64 n = impl->file.read(buffer, length);
    if (n < 0) {
        impl->readFailed = true;
        return -1;
    }
    impl->done += n;
    impl->report();
    return int(n);
}

void errorCallback(void* context, xmlErrorPtr error)
{
    auto* impl = static_cast<LedgerReader::Impl*>(context);
    if (!error || error->level < XML_ERR_ERROR || !impl->parseError.isEmpty()) {
        return;
    }
    impl->parseError = QString::fromUtf8(error->message ? error->message : "").trimmed();
    impl->parseErrorLine = error->line;
}

} // namespace

void HeaderFields::clear()
{
    enteredDate.clear();
    entryNumber.clear();
    entryNumberCounter.clear();
    totalDebit.clear();
    totalCredit.clear();
}

void LineFields::clear()
{
    for (std::string* s :
         {&lineNumber, &lineNumberCounter, &accountMainID, &accountMainDescription, &accountSubID,
          &accountSubDescription, &amount, &debitCreditCode, &postingDate, &documentType, &documentTypeDescription,
          &documentNumber, &documentDate, &documentReference, &detailComment, &documentApplyToNumber}) {
        s->clear();
    }
}

LedgerReader::LedgerReader(const QString& path, const Progress& progress, const std::atomic_bool* cancel)
    : m_impl(std::make_unique<Impl>())
{
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
    m_impl->file.setFileName(path);
    m_impl->name = QFileInfo(path).fileName();
    m_impl->progress = progress;
    m_impl->cancel = cancel;
}

LedgerReader::LedgerReader(xmlDocPtr tree, const QString& name, const std::atomic_bool* cancel)
    : m_impl(std::make_unique<Impl>())
{
    m_impl->tree = tree;
    m_impl->name = name;
    m_impl->cancel = cancel;
}

LedgerReader::~LedgerReader() = default;

long LedgerReader::sourceLine() const
{
    return m_impl->detailLine;
}

ReadEvent LedgerReader::fail(const QString& reason)
{
    m_impl->finished = true;
    m_error = reason;
    return ReadEvent::Failed;
}

ReadEvent LedgerReader::next()
{
    Impl& d = *m_impl;
    if (d.finished) {
        return m_error.isEmpty() ? ReadEvent::End : ReadEvent::Failed;
    }
    if (!d.started) {
        d.started = true;
        if (!open()) {
            return ReadEvent::Failed;
        }
    }
    xmlTextReader* const reader = d.reader.get();
    int ret = xmlTextReaderRead(reader);
    while (ret == 1) {
        if (d.cancelRequested()) {
            d.finished = true;
            return ReadEvent::Cancelled;
        }
        const int type = xmlTextReaderNodeType(reader);
        if (type == XML_READER_TYPE_TEXT || type == XML_READER_TYPE_CDATA ||
            type == XML_READER_TYPE_SIGNIFICANT_WHITESPACE) {
            d.collectText();
        } else if (type == XML_READER_TYPE_END_ELEMENT) {
            if (const std::optional<ReadEvent> event = elementEnded()) {
                return *event;
            }
        } else if (type == XML_READER_TYPE_ELEMENT) {
            const Step step = elementStarted();
            if (step.event) {
                return *step.event;
            }
            if (step.skipSubtree) {
                ret = xmlTextReaderNext(reader);
                continue;
            }
        }
        ret = xmlTextReaderRead(reader);
    }
    return ended(ret);
}

bool LedgerReader::open()
{
    Impl& d = *m_impl;
    if (d.tree) {
        d.reader.reset(xmlReaderWalker(d.tree));
        if (!d.reader) {
            fail(QStringLiteral("%1 okunamadı: XML okuyucu başlatılamadı.").arg(d.name));
            return false;
        }
        return true;
    }
    if (!d.file.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("%1 açılamadı: %2.").arg(d.name, d.file.errorString()));
        return false;
    }
    d.total = d.file.size();
    // No entity expansion and no network; HUGE because attachments can be long text nodes.
    d.reader.reset(xmlReaderForIO(readCallback, closeCallback, &d, nullptr, nullptr,
                                  XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_NOBLANKS | XML_PARSE_NOCDATA |
                                      XML_PARSE_BIG_LINES));
    if (!d.reader) {
        fail(QStringLiteral("%1 okunamadı: XML okuyucu başlatılamadı.").arg(d.name));
        return false;
    }
    xmlTextReaderSetStructuredErrorHandler(d.reader.get(), errorCallback, &d);
    return true;
}

// The root decides alone, except a defter, whose kind its entriesType tells later.
std::optional<ReadEvent> LedgerReader::rootStarted()
{
    Impl& d = *m_impl;
    d.rootSeen = true;
    const char* ns = reinterpret_cast<const char*>(xmlTextReaderConstNamespaceUri(d.reader.get()));
    const bool edefter = ns && std::strcmp(ns, common::kEdefterNamespace) == 0;
    d.rootName = QString::fromUtf8(reinterpret_cast<const char*>(xmlTextReaderConstLocalName(d.reader.get())));
    const LedgerKind kind = edefter ? common::documentKind(d.rootName, {}) : LedgerKind::Unknown;
    if (common::isBerat(kind) && d.tree) {
        m_kind = kind;
        d.kindAnnounced = true;
        return ReadEvent::Kind;
    }
    if (common::isBerat(kind)) {
        return fail(QStringLiteral("%1 bir berat: beratta aktarılacak defter satırı yok. Beratın ait olduğu "
                                   "yevmiye (-Y-) ya da kebir (-K-) dosyasını aktarın.")
                        .arg(d.name));
    }
    if (kind == LedgerKind::Report) {
        m_kind = kind;
        d.kindAnnounced = true;
        return ReadEvent::Kind;
    }
    if (!edefter || !common::kindNeedsEntriesType(d.rootName)) {
        const QString root = QString::fromUtf8(reinterpret_cast<const char*>(xmlTextReaderConstName(d.reader.get())));
        return fail(QStringLiteral("%1 bir e-Defter dosyası değil (kök öğe <%2>). Yevmiye (-Y-), kebir "
                                   "(-K-) ya da defter raporu (-DR-) dosyası seçin.")
                        .arg(d.name, root));
    }
    return std::nullopt;
}

LedgerReader::Step LedgerReader::elementStarted()
{
    Impl& d = *m_impl;
    const NameInfo info = d.nameOfNode();
    if (!d.rootSeen) {
        if (const std::optional<ReadEvent> event = rootStarted()) {
            return {event};
        }
    }
    const bool empty = xmlTextReaderIsEmptyElement(d.reader.get()) == 1;
    switch (info.name) {
    case Name::Skip:
        return {std::nullopt, true};
    case Name::EntriesType:
        if (!empty && !d.kindAnnounced) {
            d.inEntriesType = true;
            d.entriesType.clear();
        }
        break;
    case Name::EntryHeader:
        if (!d.kindAnnounced) {
            return {fail(QStringLiteral("%1 okunamadı: defter türü (entriesType) maddelerden önce yok.").arg(d.name))};
        }
        m_header.clear();
        if (!empty) {
            d.inHeader = true;
            return {ReadEvent::HeaderStart};
        }
        break;
    case Name::EntryDetail:
        if (d.inHeader) {
            m_line.clear();
            d.detailLine = 0; // taken from its first text: element nodes keep no line past 65,535
            if (!empty) {
                d.inDetail = true;
            }
        }
        break;
    case Name::HeaderField:
        if (d.inHeader && !d.inDetail && !empty) {
            readInto(m_header.*info.header);
        }
        break;
    case Name::LineField:
        if (d.inDetail && !empty) {
            readInto(m_line.*info.line);
        }
        break;
    default:
        break;
    }
    return {};
}

void LedgerReader::readInto(std::string& field)
{
    Impl& d = *m_impl;
    d.target = &field;
    d.target->clear();
    d.targetDepth = xmlTextReaderDepth(d.reader.get());
}

std::optional<ReadEvent> LedgerReader::elementEnded()
{
    Impl& d = *m_impl;
    const NameInfo info = d.nameOfNode();
    if (d.target && xmlTextReaderDepth(d.reader.get()) == d.targetDepth) {
        trim(*d.target);
        d.target = nullptr;
    }
    if (info.name == Name::EntriesType && d.inEntriesType) {
        return kindRead();
    }
    if (info.name == Name::EntryDetail && d.inDetail) {
        d.inDetail = false;
        return ReadEvent::Line;
    }
    if (info.name == Name::EntryHeader && d.inHeader) {
        d.inHeader = false;
        return ReadEvent::HeaderEnd;
    }
    return std::nullopt;
}

// A defter's entriesType has been read: it is a journal or a kebir, or not something to export.
ReadEvent LedgerReader::kindRead()
{
    Impl& d = *m_impl;
    d.inEntriesType = false;
    trim(d.entriesType);
    const QString entriesType = QString::fromStdString(d.entriesType);
    m_kind = common::documentKind(d.rootName, entriesType);
    if (!common::isLedger(m_kind)) {
        return fail(QStringLiteral("%1 desteklenmeyen bir defter türü: \"%2\". Yevmiye (journal) ya "
                                   "da kebir (ledger) bekleniyordu.")
                        .arg(d.name, entriesType));
    }
    d.kindAnnounced = true;
    return ReadEvent::Kind;
}

ReadEvent LedgerReader::ended(int ret)
{
    Impl& d = *m_impl;
    if (d.readFailed) {
        return fail(QStringLiteral("%1 okunamadı: %2.").arg(d.name, d.file.errorString()));
    }
    // libxml2 calls an empty file a parse error; "empty" says what is wrong.
    if (!d.tree && d.total == 0) {
        return fail(QStringLiteral("%1 okunamadı: dosya boş.").arg(d.name));
    }
    if (ret < 0) {
        const QString detail = d.parseError.isEmpty() ? QStringLiteral("bilinmeyen hata") : d.parseError;
        return fail(QStringLiteral("%1 okunamadı: XML bozuk ya da yarım kalmış (satır %2: %3).")
                        .arg(d.name)
                        .arg(d.parseErrorLine)
                        .arg(detail));
    }
    d.finished = true;
    if (!d.rootSeen) {
        return fail(QStringLiteral("%1 okunamadı: dosya boş.").arg(d.name));
    }
    if (!d.kindAnnounced) {
        return fail(QStringLiteral("%1 bir e-Defter dosyası değil: defter türü (entriesType) bulunamadı.").arg(d.name));
    }
    d.done = d.total;
    d.report();
    return ReadEvent::End;
}

} // namespace ledger
