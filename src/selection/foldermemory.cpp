#include "selection/foldermemory.h"

#include "common/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryFile>

#include <cerrno>

namespace selection {

namespace {

// The system's 8-bit code page on Windows, UTF-8 elsewhere.
constexpr auto kEncoding = QStringConverter::System;

QString defaultPlace(const QString& programFolder, const QList<Volume>& volumes)
{
    const std::optional<Volume> volume = volumeOf(volumes, programFolder);
    if (!volume) {
        return {};
    }
    return driveText(*volume) + QLatin1Char('\t') + programFolder;
}

// The first line, or nothing when the file cannot be read or holds no usable line.
std::optional<QString> readFirstLine(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray line = file.readLine(64 * 1024);
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    while (line.endsWith('\n') || line.endsWith('\r')) {
        line.chop(1);
    }
    QStringDecoder decode(kEncoding);
    const QString text = decode(line);
    if (decode.hasError() || !text.contains(QLatin1Char('\t'))) {
        return std::nullopt;
    }
    return text;
}

} // namespace

bool probeWritable(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        QTemporaryFile probe(common::pathJoin(path, QStringLiteral("verazidedaze-XXXXXX.tmp")));
        return probe.open(); // removed again when it goes out of scope
    }
    QFile file(path);
    return info.isFile() && file.open(QIODevice::WriteOnly | QIODevice::Append);
}

FolderMemory::FolderMemory(QString filePath) : m_filePath(std::move(filePath)) {}

QString FolderMemory::locate(const QString& programFolder, const QString& configFolder, const WritableProbe& writable)
{
    const QString beside = common::pathJoin(programFolder, QString::fromLatin1(kFileName));
    const bool usable = writable(programFolder) && (!QFileInfo::exists(beside) || writable(beside));
    if (usable || configFolder.isEmpty()) {
        return beside;
    }
    return common::pathJoin(QDir::toNativeSeparators(configFolder), QString::fromLatin1(kFileName));
}

QString FolderMemory::save(const QString& drive, const QString& folder) const
{
    const QString folderOfFile = QFileInfo(m_filePath).absolutePath();
    if (!QDir().mkpath(folderOfFile)) {
        return QStringLiteral("Klasör hafıza dosyası “%1” yazılamadı: “%2” klasörü oluşturulamadı.")
            .arg(m_filePath, QDir::toNativeSeparators(folderOfFile));
    }
    QStringEncoder encode(kEncoding);
    const QByteArray bytes = encode(drive + QLatin1Char('\t') + folder + QStringLiteral("\r\n"));
    // Written beside and renamed over, so a failed write never leaves a half-written line.
    QSaveFile file(m_filePath);
    errno = 0;
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) {
        return {};
    }
    // The failing system call's own code, read before anything else can change it.
    const std::error_code code(errno, std::generic_category());
    const QString reason = code ? common::describeFileError(code) : file.errorString();
    return QStringLiteral("Klasör hafıza dosyası “%1” yazılamadı: %2").arg(m_filePath, reason);
}

QString FolderMemory::restore(const QString& programFolder, const QList<Volume>& volumes) const
{
    if (!common::fileExists(m_filePath)) {
        return defaultPlace(programFolder, volumes);
    }
    const std::optional<QString> line = readFirstLine(m_filePath);
    if (!line) {
        return defaultPlace(programFolder, volumes);
    }
    const QStringList fields = line->split(QLatin1Char('\t'));
    if (!common::folderExists(fields.at(1)) || !volumeForDriveText(volumes, fields.at(0))) {
        return {};
    }
    return *line;
}

} // namespace selection
