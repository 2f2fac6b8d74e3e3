#include "viewer/ledgertotals.h"

#include "common/documentkind.h"
#include "common/messagebox.h"
#include "ledgerset/journalread.h"
#include "ledgerset/mizanxml.h"
#include "viewer/rangedialog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>

namespace viewer {

namespace {

// Written only when the reading ran to its end: a cancelled one leaves nothing behind.
template <typename Document, typename Write, typename Name>
MadeDocument writeDocument(const Document& document, const QStringList& journals, const QString& folder,
                           const std::atomic_bool* cancel, Write write, Name name)
{
    if (!document.ok || cancel->load()) {
        return {cancel->load() ? common::Outcome::stopped() : common::Outcome(document), {}};
    }
    const ledgerset::DocumentHeading heading{ledgerset::taxpayersOf(journals).value(0), QDateTime::currentDateTime()};
    const QString path = QDir(folder).filePath(name(document, heading));
    if (!QDir().mkpath(folder)) {
        return {common::Outcome::failure(
                    QStringLiteral("Belge klasörü oluşturulamadı: %1").arg(QDir::toNativeSeparators(folder))),
                {}};
    }
    return {write(document, heading, path), path};
}

MadeDocument makeMizan(const QStringList& journals, const TotalsRange& range, const QString& folder,
                       const std::atomic_bool* cancel, const DocumentRunner::Progress& progress)
{
    const QStringList read = ledgerset::journalsIn(journals, range.from, range.to);
    return writeDocument(ledgerset::mizan(read, range.from, range.to, cancel, progress), read, folder, cancel,
                         ledgerset::writeMizanXml, ledgerset::mizanFileName);
}

// The ekstre takes from the journals the months it needs, those before `from` for the opening balance too.
MadeDocument makeEkstre(const QStringList& journals, const TotalsRange& range, const QString& folder,
                        const std::atomic_bool* cancel, const DocumentRunner::Progress& progress)
{
    return writeDocument(ledgerset::ekstre(journals, range.account, range.from, range.to, cancel, progress), journals,
                         folder, cancel, ledgerset::writeEkstreXml, ledgerset::ekstreFileName);
}

} // namespace

bool looksLikeAccountCode(const QString& text)
{
    // One to three digits, then groups after dots or dashes; a Turkish date (31.01.2025) has the same shape.
    static const QRegularExpression code(QStringLiteral("^\\d{1,3}([.\\-][0-9A-Za-z]+)*$"));
    static const QRegularExpression date(QStringLiteral("^\\d{2}\\.\\d{2}\\.\\d{4}$"));
    const QString trimmed = text.trimmed();
    return code.match(trimmed).hasMatch() && !date.match(trimmed).hasMatch();
}

TotalsRequest requestForFolder(TotalsKind kind, const QString& folder)
{
    TotalsRequest request{kind, ledgerset::journalsIn({folder}), {}, {}};
    request.months = ledgerset::monthsOf(request.journals);
    if (!request.months.isEmpty()) {
        const QString year = request.months.constLast().left(4);
        const QStringList ofYear = request.months.filter(QRegularExpression(QLatin1Char('^') + year));
        request.defaults.from = ofYear.constFirst();
        request.defaults.to = ofYear.constLast();
    }
    return request;
}

std::optional<TotalsRequest> requestForDocument(TotalsKind kind, const QString& path, const QString& selectedText)
{
    const QFileInfo file(path);
    const auto shown = common::DocumentName::parse(file.fileName());
    if (!shown || shown->gib) {
        return std::nullopt;
    }
    TotalsRequest request{kind, {}, {}, {ledgerset::periodOf(*shown), ledgerset::periodOf(*shown), {}}};
    for (const QString& journal : ledgerset::journalsIn({file.absolutePath()})) {
        const auto name = common::DocumentName::parse(QFileInfo(journal).fileName());
        if (name && name->taxpayer == shown->taxpayer) {
            request.journals << journal;
        }
    }
    request.months = ledgerset::monthsOf(request.journals);
    if (!request.months.contains(request.defaults.from)) {
        request.months << request.defaults.from; // no journal for the month shown: the mizan will say so
        request.months.sort();
    }
    if (kind == TotalsKind::Ekstre && looksLikeAccountCode(selectedText)) {
        request.defaults.account = selectedText.trimmed();
    }
    return request;
}

DocumentRunner::Task totalsTask(TotalsKind kind, const QStringList& journals, const TotalsRange& range,
                                const QString& folder)
{
    const QString months = range.from == range.to ? range.from : range.from + QStringLiteral(" – ") + range.to;
    if (kind == TotalsKind::Mizan) {
        return {QStringLiteral("Mizan"), QStringLiteral("Mizan hesaplanıyor: %1").arg(months),
                QStringLiteral("Mizan hesaplanamadı."),
                [journals, range, folder](const std::atomic_bool* cancel, const DocumentRunner::Progress& progress) {
                    return makeMizan(journals, range, folder, cancel, progress);
                }};
    }
    return {QStringLiteral("Hesap ekstresi"),
            QStringLiteral("%1 hesabının ekstresi hazırlanıyor: %2").arg(range.account, months),
            QStringLiteral("Hesap ekstresi hazırlanamadı."),
            [journals, range, folder](const std::atomic_bool* cancel, const DocumentRunner::Progress& progress) {
                return makeEkstre(journals, range, folder, cancel, progress);
            }};
}

TotalsCommand::TotalsCommand(DocumentRunner& runner, QString folder)
    : m_runner(runner), m_folder(std::move(folder)), m_ask(RangeDialog::ask)
{}

QString TotalsCommand::defaultFolder()
{
    return DocumentRunner::cacheFolder(QStringLiteral("belgeler"));
}

void TotalsCommand::run(const TotalsRequest& request, QWidget* owner)
{
    const QString what = request.kind == TotalsKind::Mizan ? QStringLiteral("Mizan") : QStringLiteral("Hesap ekstresi");
    if (request.journals.isEmpty()) {
        report(QStringLiteral("Burada yevmiye defteri yok. %1 yevmiye defterlerinden hesaplanır.").arg(what), owner);
        return;
    }
    if (const QStringList taxpayers = ledgerset::taxpayersOf(request.journals); taxpayers.size() > 1) {
        report(QStringLiteral("Bu klasörde birden çok mükellefin defterleri var: %1.\n%2 bir mükellefin defterlerinden "
                              "hesaplanır: yalnız onun defterlerinin bulunduğu klasörü seçin.")
                   .arg(taxpayers.join(QStringLiteral(", ")), what),
               owner);
        return;
    }
    const std::optional<TotalsRange> range = m_ask(request, owner);
    if (range) {
        m_runner.start(totalsTask(request.kind, request.journals, *range, m_folder), owner);
    }
}

void TotalsCommand::report(const QString& message, QWidget* owner) const
{
    if (m_report) {
        m_report(message);
        return;
    }
    common::showMessage(owner, message, QMessageBox::Warning);
}

} // namespace viewer
