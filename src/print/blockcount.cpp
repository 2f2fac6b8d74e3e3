#include "print/blockcount.h"

#include <QSet>

namespace print {

BlockCount countBlocks(const QList<int>& given, const QHash<int, QStringList>& laidOut, const QList<PdfPart>& parts,
                       const QList<QHash<QString, PdfAnchor>>& anchors)
{
    QSet<QString> onPages;
    for (qsizetype i = 0; i < parts.size() && i < anchors.size(); ++i) {
        const PdfPart& part = parts.at(i);
        for (auto anchor = anchors.at(i).cbegin(); anchor != anchors.at(i).cend(); ++anchor) {
            const int page = anchor.value().page;
            if (page >= part.firstPage && page < part.firstPage + part.pageCount) {
                onPages.insert(anchor.key());
            }
        }
    }
    BlockCount count;
    for (int piece = 0; piece < int(given.size()); ++piece) {
        const QStringList names = laidOut.value(piece);
        int missing = qMax(0, given.at(piece) - int(names.size()));
        for (const QString& name : names) {
            missing += name.isEmpty() || onPages.contains(name) ? 0 : 1;
        }
        count.given += given.at(piece);
        count.missing += qMin(missing, given.at(piece));
        if (missing > 0 && count.firstPiece < 0) {
            count.firstPiece = piece;
        }
    }
    return count;
}

QString missingBlocksMessage(const BlockCount& count)
{
    if (count.missing == 0) {
        return {};
    }
    return QStringLiteral("Sayfalar eksik çıktı: belgedeki %1 bloktan (madde, hesap, satır) %2 tanesi sayfalara "
                          "yerleşmedi, ilki %3. parçada. Eksik bir PDF yazılmadı; yeniden deneyin.")
        .arg(count.given)
        .arg(count.missing)
        .arg(count.firstPiece + 1);
}

} // namespace print
