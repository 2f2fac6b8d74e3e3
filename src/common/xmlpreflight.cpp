#include "common/xmlpreflight.h"
#include "common/paths.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <vector>

namespace common {

namespace {

using Verdict = XmlPreflight::Verdict;

constexpr qsizetype kChunkBytes = qsizetype(1) << 20;
constexpr qsizetype kShownNameBytes = 60;

bool isSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

// Finds a terminator ("-->", "?>", "]]>") across chunk boundaries; `matched` carries the part
// already seen. All three repeat at most their first character, so a mismatch restarts cheaply.
const char* findTerminator(const char* p, const char* end, const char* term, int length, int& matched)
{
    while (p < end) {
        const char c = *p++;
        if (c == term[matched]) {
            if (++matched == length) {
                return p;
            }
        } else if (c == term[0]) {
            matched = (matched == 2 && term[1] == term[0]) ? 2 : 1;
        } else {
            matched = 0;
        }
    }
    return nullptr;
}

// The bytes of a document as far as the limits care: elements opening and closing, their names,
// attributes and namespace declarations, and the markup whose content is skipped (comments,
// processing instructions, CDATA, a DOCTYPE when allowed). Not a parser: malformed input is left
// to the parser after it, which stops at the first fault, before anything this has not seen.
class Scanner
{
public:
    explicit Scanner(const XmlShapeLimits& limits) : m_limits(limits) {}

    // False when a limit is crossed: result() says which, and where.
    bool feed(const char* data, qsizetype size)
    {
        const char* end = data + size;
        const char* p = data;
        while (p < end && !m_stopped) {
            p = step(p, end);
            if (m_verdict != Verdict::Fine) {
                m_line += std::count(data, std::min(p, end), '\n') + 1;
                return false;
            }
        }
        m_line += std::count(data, end, '\n');
        return !m_stopped;
    }

    XmlPreflight result() const
    {
        XmlPreflight result;
        result.verdict = m_verdict;
        if (m_verdict == Verdict::Fine) {
            return result;
        }
        result.line = m_line;
        result.problem = describe();
        return result;
    }

private:
    enum class State
    {
        Text,
        Open,    // after '<'
        Bang,    // after "<!"
        Comment, // inside <!-- -->
        Pi,      // inside <? ?>
        CData,   // inside <![CDATA[ ]]>
        Doctype, // inside <!DOCTYPE ...>, when allowed
        DoctypeComment,
        ElementName,
        Tag, // between a start tag's attributes
        AttributeName,
        AfterName, // before '='
        BeforeValue,
        Value,
        EmptyClose, // after '/' in a start tag
        EndTag,
    };

    const char* fail(Verdict verdict, const char* at)
    {
        m_verdict = verdict;
        return at;
    }

    const char* step(const char* p, const char* end)
    {
        switch (m_state) {
        case State::Text:
            return text(p, end);
        case State::Open:
            return open(p);
        case State::Bang:
            return bang(p);
        case State::Comment:
            return skipTo(p, end, "-->", 3, State::Text, m_limits.maxMarkupBytes);
        case State::Pi:
            return skipTo(p, end, "?>", 2, State::Text, m_limits.maxMarkupBytes);
        case State::CData:
            return skipTo(p, end, "]]>", 3, State::Text, m_limits.maxCdataBytes);
        case State::Doctype:
            return doctype(p, end);
        case State::DoctypeComment:
            return skipTo(p, end, "-->", 3, State::Doctype);
        case State::ElementName:
            return elementName(p, end);
        case State::Tag:
            return tag(p, end);
        case State::AttributeName:
            return attributeName(p, end);
        case State::AfterName:
            return afterName(p);
        case State::BeforeValue:
            return beforeValue(p);
        case State::Value:
            return value(p, end);
        case State::EmptyClose:
            return emptyClose(p);
        case State::EndTag:
            return endTag(p, end);
        }
        return end;
    }

    // Character data inside the root element: on to the next markup.
    const char* text(const char* p, const char* end)
    {
        if (m_namespaces.empty()) {
            return outside(p, end);
        }
        const void* lt = std::memchr(p, '<', size_t(end - p));
        if (lt == nullptr) {
            return end;
        }
        m_state = State::Open;
        return static_cast<const char*>(lt) + 1;
    }

    // After an attribute's name: its '=', or (no value) the rest of the tag.
    const char* afterName(const char* p)
    {
        if (isSpace(*p)) {
            return p + 1;
        }
        m_state = *p == '=' ? State::BeforeValue : State::Tag;
        return *p == '=' ? p + 1 : p;
    }

    const char* beforeValue(const char* p)
    {
        if (isSpace(*p)) {
            return p + 1;
        }
        if (*p == '"' || *p == '\'') {
            m_quote = *p;
            m_valueBytes = 0;
            m_state = State::Value;
            return p + 1;
        }
        m_state = State::Tag;
        return p;
    }

    // After '/' in a start tag: "/>" closes an empty element.
    const char* emptyClose(const char* p)
    {
        if (*p == '>') {
            closeElement();
            m_state = State::Text;
            return p + 1;
        }
        m_state = State::Tag;
        return p;
    }

    // Outside the root element only blanks may stand between markup (and a byte-order mark first).
    // Anything else ends the parser's reading there, and so the scan: random bytes are no XML,
    // not a document with a DOCTYPE.
    const char* outside(const char* p, const char* end)
    {
        for (; p < end; ++p, m_started = true) {
            const char c = *p;
            if (c == '<') {
                m_started = true;
                m_state = State::Open;
                return p + 1;
            }
            const bool bom = !m_started && c == '\xEF' && end - p >= 3 && p[1] == '\xBB' && p[2] == '\xBF';
            if (bom) {
                p += 2;
            } else if (!isSpace(c)) {
                m_stopped = true;
            }
            if (m_stopped) {
                return end;
            }
        }
        return end;
    }

    const char* skipTo(const char* p, const char* end, const char* term, int length, State after,
                       qint64 limit = std::numeric_limits<qint64>::max())
    {
        const char* found = findTerminator(p, end, term, length, m_matched);
        m_markupBytes += (found != nullptr ? found : end) - p;
        if (m_markupBytes > limit) {
            return fail(Verdict::MarkupTooLong, found != nullptr ? found : end);
        }
        if (found == nullptr) {
            return end;
        }
        m_matched = 0;
        m_state = after;
        return found;
    }

    const char* open(const char* p)
    {
        switch (*p) {
        case '?':
            m_state = State::Pi;
            m_markupBytes = 0;
            return p + 1;
        case '!':
            m_bang.clear();
            m_state = State::Bang;
            return p + 1;
        case '/':
            m_state = State::EndTag;
            m_nameBytes = 0;
            m_endNameDone = false;
            return p + 1;
        default:
            break;
        }
        if (m_namespaces.size() >= size_t(m_limits.maxDepth)) {
            return fail(Verdict::TooDeep, p);
        }
        m_namespaces.push_back(0);
        m_steps += qint64(m_namespaces.size()) + m_inScope;
        if (m_limits.maxCanonicalSteps >= 0 && m_steps > m_limits.maxCanonicalSteps) {
            return fail(Verdict::TooComplex, p);
        }
        m_attributes = 0;
        m_nameBytes = 0;
        m_elementLength = 0;
        m_state = State::ElementName;
        return p;
    }

    const char* bang(const char* p)
    {
        m_bang += *p;
        if (m_bang == "--" || m_bang == "[CDATA[") {
            m_state = m_bang == "--" ? State::Comment : State::CData;
            m_markupBytes = 0;
            return p + 1;
        }
        if (m_bang == "DOCTYPE") {
            if (!m_limits.allowDoctype) {
                return fail(Verdict::Doctype, p);
            }
            m_quote = 0;
            m_subset = false;
            m_state = State::Doctype;
            return p + 1;
        }
        static const QByteArray kinds[] = {"--", "[CDATA[", "DOCTYPE"};
        for (const QByteArray& kind : kinds) {
            if (kind.startsWith(m_bang)) {
                return p + 1;
            }
        }
        // Any other declaration belongs to a DTD, which only a DOCTYPE may hold.
        return fail(Verdict::Doctype, p);
    }

    // Quoted literals and comments may hold '>' and ']'; the internal subset ends at ']'.
    const char* doctype(const char* p, const char* end)
    {
        if (m_quote != 0) {
            const void* close = std::memchr(p, m_quote, size_t(end - p));
            if (close == nullptr) {
                return end;
            }
            m_quote = 0;
            return static_cast<const char*>(close) + 1;
        }
        const char c = *p;
        m_recent = (m_recent << 8) | quint8(c);
        if (c == '"' || c == '\'') {
            m_quote = c;
        } else if (c == '[') {
            m_subset = true;
        } else if (c == ']') {
            m_subset = false;
        } else if (c == '>' && !m_subset) {
            m_state = State::Text;
        } else if (m_subset && (m_recent & 0xffffffffu) == 0x3c212d2du) { // "<!--"
            m_state = State::DoctypeComment;
        }
        return p + 1;
    }

    bool nameTooLong() { return ++m_nameBytes > m_limits.maxNameBytes; }

    const char* elementName(const char* p, const char* end)
    {
        for (; p < end; ++p) {
            const char c = *p;
            if (isSpace(c) || c == '/' || c == '>') {
                m_state = State::Tag;
                return p;
            }
            if (m_elementLength < kShownNameBytes) {
                m_element[m_elementLength++] = c;
            }
            if (nameTooLong()) {
                return fail(Verdict::NameTooLong, p);
            }
        }
        return end;
    }

    const char* tag(const char* p, const char* end)
    {
        while (p < end && isSpace(*p)) {
            ++p;
        }
        if (p == end) {
            return end;
        }
        const char c = *p;
        if (c == '>') {
            m_state = State::Text;
            return p + 1;
        }
        if (c == '/') {
            m_state = State::EmptyClose;
            return p + 1;
        }
        if (++m_attributes > m_limits.maxAttributes) {
            return fail(Verdict::TooManyAttributes, p);
        }
        if (c == '"' || c == '\'') {
            m_state = State::BeforeValue;
            return p;
        }
        m_nameBytes = 0;
        m_attributeStartLength = 0;
        m_state = State::AttributeName;
        return p;
    }

    const char* attributeName(const char* p, const char* end)
    {
        for (; p < end; ++p) {
            const char c = *p;
            if (isSpace(c) || c == '=' || c == '/' || c == '>' || c == '"' || c == '\'') {
                m_state = State::AfterName;
                const QByteArrayView start(m_attributeStart, m_attributeStartLength);
                if (start == "xmlns" || start == "xmlns:") {
                    ++m_namespaces.back();
                    if (++m_inScope > m_limits.maxNamespaces) {
                        return fail(Verdict::TooManyNamespaces, p);
                    }
                }
                return p;
            }
            if (m_attributeStartLength < qsizetype(sizeof m_attributeStart)) {
                m_attributeStart[m_attributeStartLength++] = c;
            }
            if (nameTooLong()) {
                return fail(Verdict::NameTooLong, p);
            }
        }
        return end;
    }

    const char* value(const char* p, const char* end)
    {
        const void* close = std::memchr(p, m_quote, size_t(end - p));
        const char* stop = close != nullptr ? static_cast<const char*>(close) : end;
        m_valueBytes += stop - p;
        if (m_valueBytes > m_limits.maxValueBytes) {
            return fail(Verdict::ValueTooLong, stop);
        }
        if (close == nullptr) {
            return end;
        }
        m_state = State::Tag;
        return stop + 1;
    }

    const char* endTag(const char* p, const char* end)
    {
        for (; p < end; ++p) {
            const char c = *p;
            if (c == '>') {
                closeElement();
                m_state = State::Text;
                return p + 1;
            }
            if (isSpace(c)) {
                m_endNameDone = true;
            } else if (!m_endNameDone && nameTooLong()) {
                return fail(Verdict::NameTooLong, p);
            }
        }
        return end;
    }

    void closeElement()
    {
        if (m_namespaces.empty()) {
            return; // not well-formed; the parser says so
        }
        m_inScope -= m_namespaces.back();
        m_namespaces.pop_back();
    }

    QString describe() const
    {
        const QString where = QStringLiteral("%1. satırda").arg(m_line);
        const QString element = QString::fromUtf8(m_element, m_elementLength);
        QString what;
        switch (m_verdict) {
        case Verdict::Doctype:
            return QStringLiteral("%1 DOCTYPE bildirimi var; e-Defter dosyalarında olmaz. Dosya güvenlik için "
                                  "okunmadı.")
                .arg(where);
        case Verdict::TooDeep:
            what = QStringLiteral("öğeler %1 düzeyden derin iç içe geçiyor (sınır: %1 düzey)").arg(m_limits.maxDepth);
            break;
        case Verdict::TooManyAttributes:
            what = QStringLiteral("<%1> öğesinde %2 nitelikten fazlası var (sınır: öğe başına %2 nitelik)")
                       .arg(element)
                       .arg(m_limits.maxAttributes);
            break;
        case Verdict::TooManyNamespaces:
            what = QStringLiteral("<%1> öğesinde geçerli ad alanı bildirimi %2 tanesini aşıyor (sınır: %2 bildirim)")
                       .arg(element)
                       .arg(m_limits.maxNamespaces);
            break;
        case Verdict::NameTooLong:
            what =
                QStringLiteral("bir öğe ya da nitelik adı %1 bayttan uzun (sınır: %1 bayt)").arg(m_limits.maxNameBytes);
            break;
        case Verdict::ValueTooLong:
            what = QStringLiteral("<%1> öğesinde bir nitelik değeri %2 MB'tan uzun (sınır: %2 MB)")
                       .arg(element)
                       .arg(m_limits.maxValueBytes >> 20);
            break;
        case Verdict::TooComplex:
            return QStringLiteral("%1 dosyanın imzasını denetlemek %2 milyon adımı aşıyor: küçük öğeler çok sayıda, "
                                  "derin iç içe ya da çok sayıda ad alanı içinde (gerçek e-Defter dosyaları bunun onda "
                                  "birini gerektirir). Denetim dakikalarca sürerdi; dosya güvenlik için okunmadı.")
                .arg(where)
                .arg(m_limits.maxCanonicalSteps / 1000000);
        case Verdict::MarkupTooLong:
            what =
                m_state == State::CData
                    ? QStringLiteral("bir CDATA bölümü %1 MB'tan uzun (sınır: %1 MB)").arg(m_limits.maxCdataBytes >> 20)
                    : QStringLiteral("bir yorum ya da işlem yönergesi %1 MB'tan uzun (sınır: %1 MB)")
                          .arg(m_limits.maxMarkupBytes >> 20);
            break;
        default:
            return {};
        }
        return QStringLiteral("%1 %2; gerçek e-Defter dosyaları bu sınırın çok altında kalır. Dosya güvenlik için "
                              "okunmadı.")
            .arg(where, what);
    }

    const XmlShapeLimits m_limits;
    Verdict m_verdict = Verdict::Fine;
    State m_state = State::Text;
    bool m_started = false; // past the first byte
    bool m_stopped = false; // the parser stops before what follows
    qint64 m_line = 0;
    int m_matched = 0;
    QByteArray m_bang;
    char m_quote = 0;
    bool m_subset = false;
    quint32 m_recent = 0;
    std::vector<int> m_namespaces; // declarations made by each open element
    int m_inScope = 0;
    qint64 m_steps = 0; // canonicalisation steps so far: ancestors and namespaces of each element
    int m_attributes = 0;
    int m_nameBytes = 0;
    bool m_endNameDone = false;
    qint64 m_valueBytes = 0;
    qint64 m_markupBytes = 0;
    char m_element[kShownNameBytes] = {}; // the start of the open element's name, for messages
    qsizetype m_elementLength = 0;
    char m_attributeStart[6] = {}; // enough to tell "xmlns" and "xmlns:" from other names
    qsizetype m_attributeStartLength = 0;
};

// UTF-16 files are scanned as the UTF-8 they decode to; any other encoding a parser accepts
// keeps '<', '>', quotes and blanks where ASCII has them.
std::optional<QStringConverter::Encoding> wideEncoding(QByteArrayView head)
{
    if (head.startsWith("\xFF\xFE") || head.startsWith(QByteArrayView("<\0?\0", 4))) {
        return QStringConverter::Utf16LE;
    }
    if (head.startsWith("\xFE\xFF") || head.startsWith(QByteArrayView("\0<\0?", 4))) {
        return QStringConverter::Utf16BE;
    }
    return std::nullopt;
}

class Feeder
{
public:
    explicit Feeder(const XmlShapeLimits& limits) : m_scanner(limits) {}

    bool feed(QByteArrayView bytes)
    {
        if (m_first) {
            m_first = false;
            if (const auto encoding = wideEncoding(bytes)) {
                m_decoder.emplace(*encoding);
            }
        }
        if (!m_decoder) {
            return m_scanner.feed(bytes.data(), bytes.size());
        }
        const QByteArray utf8 = QString(m_decoder->decode(bytes)).toUtf8();
        return m_scanner.feed(utf8.constData(), utf8.size());
    }

    XmlPreflight result() const { return m_scanner.result(); }

private:
    Scanner m_scanner;
    bool m_first = true;
    std::optional<QStringDecoder> m_decoder;
};

XmlPreflight refusal(Verdict verdict, const QString& problem)
{
    XmlPreflight result;
    result.verdict = verdict;
    result.problem = problem;
    return result;
}

QString fileTypeName(std::filesystem::file_type type)
{
    using std::filesystem::file_type;
    switch (type) {
    case file_type::directory:
        return QStringLiteral("bir klasör");
    case file_type::fifo:
        return QStringLiteral("bir adlandırılmış kanal (FIFO)");
    case file_type::character:
    case file_type::block:
        return QStringLiteral("bir aygıt");
    case file_type::socket:
        return QStringLiteral("bir soket");
    default:
        return QStringLiteral("özel bir dosya");
    }
}

} // namespace

qint64 canonicalStepsFor(qint64 fileBytes)
{
    return 10000000 + std::max<qint64>(0, fileBytes);
}

XmlPreflight preflightXml(QByteArrayView bytes, const XmlShapeLimits& limits)
{
    Feeder feeder(limits);
    feeder.feed(bytes);
    return feeder.result();
}

XmlPreflight preflightXmlFile(const QString& path, const XmlShapeLimits& limits, qint64 maxBytes,
                              const std::atomic_bool* cancel)
{
    // Opening a FIFO blocks until a writer comes, and a device never ends: look before opening.
    std::error_code error;
    const auto status = std::filesystem::status(toFsPath(path), error);
    if (error) {
        return refusal(Verdict::Unreadable, describeFileError(error));
    }
    if (status.type() != std::filesystem::file_type::regular) {
        return refusal(Verdict::NotRegularFile,
                       QStringLiteral("bu %1, normal bir dosya değil").arg(fileTypeName(status.type())));
    }
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const std::error_code code(errno, std::generic_category());
        return refusal(Verdict::Unreadable, code ? describeFileError(code) : file.errorString());
    }
    Feeder feeder(limits);
    QByteArray chunk(kChunkBytes, Qt::Uninitialized);
    qint64 left = maxBytes < 0 ? std::numeric_limits<qint64>::max() : maxBytes;
    while (left > 0) {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
            return refusal(Verdict::Cancelled, {});
        }
        errno = 0;
        const qint64 count = file.read(chunk.data(), std::min<qint64>(kChunkBytes, left));
        if (count < 0) {
            const std::error_code code(errno, std::generic_category());
            return refusal(Verdict::Unreadable, code ? describeFileError(code) : file.errorString());
        }
        if (count == 0) {
            break;
        }
        left -= count;
        if (!feeder.feed(QByteArrayView(chunk.constData(), count))) {
            break;
        }
    }
    return feeder.result();
}

} // namespace common
