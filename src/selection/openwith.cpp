#include "selection/openwith.h"

#include "common/paths.h"
#include "common/xmlpreflight.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>
#include <system_error>

namespace selection {

namespace {

OpenRequest refuse(const QString& message)
{
    return {OpenRequest::Action::Refuse, {}, {}, message};
}

bool startsLikeXml(QByteArray head)
{
    if (head.startsWith("\xEF\xBB\xBF")) {
        head.remove(0, 3);
    }
    const QByteArray trimmed = head.trimmed();
    return trimmed.startsWith('<');
}

} // namespace

OpenRequest decideOpen(const QStringList& arguments, const QString& workingFolder)
{
    if (arguments.isEmpty() || arguments.constFirst().isEmpty()) {
        return {};
    }
    QString argument = arguments.constFirst();
    if (argument.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        argument = QUrl(argument).toLocalFile();
    }
    const QFileInfo info(QDir(workingFolder).absoluteFilePath(argument));
    const QString path = QDir::toNativeSeparators(QDir::cleanPath(info.absoluteFilePath()));

    if (!info.exists()) {
        return refuse(
            QStringLiteral("“%1” dosyası bulunamadı: silinmiş, taşınmış ya da adı değişmiş olabilir.").arg(path));
    }
    if (info.isDir()) {
        return refuse(QStringLiteral("“%1” bir klasör; açılacak bir e-Defter dosyası seçin.").arg(path));
    }
    const QString notXml =
        QStringLiteral("“%1” bir XML dosyası değil: yalnızca e-Defter XML dosyaları (.xml) görüntülenebilir.")
            .arg(path);
    if (info.suffix().compare(QLatin1String("xml"), Qt::CaseInsensitive) != 0) {
        return refuse(notXml);
    }
    // Opening a pipe would wait for a writer, before the program is even on screen.
    if (const common::XmlPreflight look = common::preflightXmlFile(info.absoluteFilePath(), {}, 0); !look.ok()) {
        return refuse(QStringLiteral("“%1” dosyası açılamadı: %2.").arg(path, look.problem));
    }
    QFile file(info.absoluteFilePath());
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const std::error_code code(errno, std::generic_category());
        return refuse(QStringLiteral("“%1” dosyası açılamadı: %2")
                          .arg(path, code ? common::describeFileError(code) : file.errorString()));
    }
    if (!startsLikeXml(file.read(4096))) {
        return refuse(notXml);
    }
    return {OpenRequest::Action::Show, QDir::toNativeSeparators(info.absolutePath()), info.fileName(), {}};
}

} // namespace selection
